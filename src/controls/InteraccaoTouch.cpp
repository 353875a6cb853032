#include "controls/InteraccaoTouch.h"

#include "controls/ListaSelecao.h"
#include "controls/frmAviso.h"
#include "controls/frmMotSus.h"
#include "controls/frmSupervisor.h"
#include "controls/frmTeclado.h"
#include "controls/frmTecladoAlfa.h"

void InteraccaoTouch::Aviso(const QString& mensagem, int tipoImagem, int altura)
{
    ::Aviso(mensagem, tipoImagem, altura, m_pai);
}

bool InteraccaoTouch::Confirmacao(const QString& mensagem, int tipoImagem, int altura)
{
    return ::Confirmacao(mensagem, tipoImagem, altura, m_pai);
}

int InteraccaoTouch::MensagemSistema(const QString& texto, int tipo)
{
    return ::MensagemSistema(texto, tipo, m_pai);
}

QString InteraccaoTouch::ListaSelecao(const QString& titulo, int tamanho, const Registos& linhas,
                                      const QString& colunaGrupo, const QList<int>& largurasColunas)
{
    return ::ListaSelecao::Escolher(titulo, tamanho, linhas, colunaGrupo, largurasColunas, m_pai);
}

QString InteraccaoTouch::PedirNumero(const QString& titulo)
{
    frmTeclado f(m_pai);
    f.setWindowTitle(titulo);
    f.exec();
    return f.CodigoDigitado;
}

QString InteraccaoTouch::PedirTexto(const QString& titulo)
{
    frmTecladoAlfa f(m_pai);
    f.setWindowTitle(titulo);
    f.exec();
    return f.Texto;
}

QString InteraccaoTouch::EscolherMotivo(const Registos& motivos, const QString& titulo)
{
    frmMotSus f(m_pai);
    f.setListaMotivos(motivos);
    f.Mostra();
    f.setWindowTitle(titulo);
    f.exec();
    return f.Motivo;
}

bool InteraccaoTouch::EditarDefinicoesKova(ValoresKova&)
{
    return false;
}

bool InteraccaoTouch::EditarDefinicoesBD(DefinicoesBD&, const QString&)
{
    return false;
}

bool InteraccaoTouch::AutorizarSupervisor(const QString& titulo, LigacaoDados* ligacao, qint16 nivelMinimo,
                                          QString& funcionario,
                                          const std::function<void(const QString&, const QString&)>& recusado)
{
    frmSupervisor f(ligacao, this, nivelMinimo, m_pai);
    f.setWindowTitle(titulo + QStringLiteral(": palavra passe do supervisor"));
    if (recusado) QObject::connect(&f, &frmSupervisor::Recusado, recusado);
    f.Carregar();
    if (f.exec() != QDialog::Accepted) return false;
    funcionario = f.Funcionario;
    return true;
}
