#include "dataaccess/DefinicoesLeitor.h"

#include <QStringList>

#include "dataaccess/LeitorConfiguracao.h"

const QString DefinicoesLeitor::Seccao = QStringLiteral("Leitor");

QString DefinicoesLeitor::ChavePrefixo(TipoCodigo tipo)
{
    switch (tipo) {
    case TipoCodigo::Funcionario:
        return QStringLiteral("Prefixo Funcionário");
    case TipoCodigo::Obra:
        return QStringLiteral("Prefixo Obra");
    case TipoCodigo::Operacao:
        return QStringLiteral("Prefixo Operação");
    case TipoCodigo::Maquina:
        return QStringLiteral("Prefixo Máquina");
    case TipoCodigo::Artigo:
        return QStringLiteral("Prefixo Artigo");
    case TipoCodigo::Desconhecido:
        break;
    }
    return QString();
}

bool DefinicoesLeitor::Ler(QString* erro)
{
    LeitorConfiguracao leitor(Ficheiro);
    if (!leitor.carregar(erro)) return false;
    return Ler(leitor, erro);
}

namespace {
// A prefix goes on a Code 128 label and comes back typed by the scanner: visible ASCII only.
bool prefixoValido(const QString& p)
{
    for (QChar c : p)
        if (c.unicode() < 0x21 || c.unicode() > 0x7E) return false;
    return true;
}
} // namespace

bool DefinicoesLeitor::Ler(LeitorConfiguracao& leitor, QString* erro)
{
    Ficheiro = leitor.ficheiro();
    IntervaloMaximo = IntervaloPadrao;
    Prefixos = ClassificadorCodigos();
    QStringList problemas;

    const QString chaveIntervalo = QStringLiteral("Intervalo Máximo");
    const QString intervalo = leitor.Ler(Seccao, chaveIntervalo).trimmed();
    if (!intervalo.isEmpty()) {
        bool ok = false;
        const int ms = intervalo.toInt(&ok);
        if (ok && ms >= 1 && ms <= IntervaloLimite)
            IntervaloMaximo = ms;
        else
            problemas << QStringLiteral("\"%1\" tem de ser um número inteiro de milissegundos entre 1 e %2 "
                                        "(está \"%3\"); vale %4")
                             .arg(chaveIntervalo)
                             .arg(IntervaloLimite)
                             .arg(intervalo)
                             .arg(IntervaloPadrao);
    }

    for (TipoCodigo t : ClassificadorCodigos::Tipos) {
        const QString chave = ChavePrefixo(t);
        const QString p = leitor.Ler(Seccao, chave).trimmed();
        if (p.isEmpty()) continue;
        if (prefixoValido(p))
            Prefixos.setPrefixo(t, p);
        else
            problemas << QStringLiteral("\"%1\" só pode ter letras, algarismos e sinais sem acentos nem espaços "
                                        "(está \"%2\"); vale %3")
                             .arg(chave, p, ClassificadorCodigos::PrefixoPadrao(t));
    }
    const QString conflito = Prefixos.Conflito();
    if (!conflito.isEmpty()) {
        Prefixos = ClassificadorCodigos();
        problemas << QStringLiteral("%1, e um código lido não se distinguiria; valem os cinco prefixos de origem "
                                    "(%2)")
                         .arg(conflito,
                              QStringList{Prefixos.prefixo(TipoCodigo::Funcionario), Prefixos.prefixo(TipoCodigo::Obra),
                                          Prefixos.prefixo(TipoCodigo::Operacao), Prefixos.prefixo(TipoCodigo::Maquina),
                                          Prefixos.prefixo(TipoCodigo::Artigo)}
                                  .join(QStringLiteral(", ")));
    }
    if (problemas.isEmpty()) return true;
    if (erro)
        *erro = QStringLiteral("Ficheiro de configuração %1, secção \"%2\": %3. Corrija o ficheiro.")
                    .arg(Ficheiro, Seccao, problemas.join(QStringLiteral("; ")));
    return false;
}
