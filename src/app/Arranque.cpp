#include "app/Arranque.h"

#include <QDir>

#include "base/InteraccaoOperador.h"
#include "base/PastaPrograma.h"
#include "base/Rotinas.h"
#include "dataaccess/LeitorConfiguracao.h"

QString Arranque::FicheiroConfiguracao(const QStringList& argumentos)
{
    const QString texto = argumentos.join(u' ');
    return texto.isEmpty() ? QStringLiteral("Terminal_Obras.oka") : texto;
}

qint16 Arranque::TipoTerminal(const QString& ficheiro)
{
    LeitorConfiguracao leitor(CaminhoConfiguracao(ficheiro));
    return NumeroOuZero(leitor.Ler(QStringLiteral("Ligação"), QStringLiteral("Tipo de Terminal")));
}

Arranque::Resultado Arranque::AbrirBaseDados(const QString& ficheiro, LigacaoDados& ligacao,
                                             InteraccaoOperador* operador, QString* erro, bool criarFicheiro)
{
    DefinicoesBD definicoes(CaminhoConfiguracao(ficheiro));
    if (!definicoes.Ler(erro)) return Resultado::FicheiroInvalido;
    if (definicoes.faltamDefinicoes()) {
        const QString bdSql = QDir(PastaPrograma()).filePath(QStringLiteral("Catalogos/bd.sql"));
        if (!operador || !operador->EditarDefinicoesBD(definicoes, bdSql) || definicoes.faltamDefinicoes()) {
            if (erro)
                *erro = QStringLiteral("Faltam as definições da base de dados no ficheiro %1 (secção \"%2\").")
                            .arg(definicoes.Ficheiro, DefinicoesBD::Seccao);
            return Resultado::DefinicoesEmFalta;
        }
    }
    ParametrosLigacao parametros = definicoes.CadeiaLigacao();
    parametros.criarFicheiro = criarFicheiro;
    if (!ligacao.Abrir(parametros, erro)) return Resultado::FalhaLigacao;
    return Resultado::Aberta;
}
