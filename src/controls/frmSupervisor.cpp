#include "controls/frmSupervisor.h"

#include <QComboBox>
#include <QVBoxLayout>

#include "base/InteraccaoOperador.h"
#include "controls/Ecra.h"
#include "controls/PainelBotoes.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"
#include "controls/ucLogin.h"
#include "engine/cl_Funcionarios.h"

namespace {
// The login control's design size, and two rows of employee buttons above it.
constexpr int LarguraLogin = 14265;
constexpr int AlturaPainel = PainelBotoes::BandaPaginas + 2 * PainelBotoes::PassoLinha + PainelBotoes::FolgaFinal;
} // namespace

frmSupervisor::frmSupervisor(LigacaoDados* ligacao, InteraccaoOperador* operador, qint16 nivelMinimo, QWidget* pai)
    : QDialog(pai), m_ligacao(ligacao), m_operador(operador), m_nivelMinimo(nivelMinimo)
{
    setModal(true);
    setObjectName(QStringLiteral("frmSupervisor"));
    auto* coluna = TituloDialogo::Disposicao(this, QStringLiteral("Cancelar"));
    coluna->setSpacing(Twips::Px(120));

    PainelFuncionarios = new PainelBotoes(this);
    PainelFuncionarios->setObjectName(QStringLiteral("PainelFuncionarios"));
    PainelFuncionarios->setTamanhoTwips(LarguraLogin, AlturaPainel);
    PainelFuncionarios->setFixedSize(PainelFuncionarios->size());
    coluna->addWidget(PainelFuncionarios);

    Login = new ::ucLogin(this);
    Login->setLigacao(ligacao);
    Login->setOperador(operador);
    Login->setFixedSize(Login->size());
    coluna->addWidget(Login);

    connect(PainelFuncionarios, &PainelBotoes::clicou, this, [this](const QString& nome, const QString& codigo) {
        Login->IntroduzirNome(codigo.trimmed() + QLatin1Char('-') + nome.trimmed());
    });
    connect(Login, &::ucLogin::EscolheuUtilizador, this, &frmSupervisor::entrou);
    connect(Login, &::ucLogin::Recusado, this, &frmSupervisor::Recusado);
    connect(Login, &::ucLogin::Sair, this, &QDialog::reject);
}

void frmSupervisor::Carregar()
{
    cl_Funcionarios catalogo;
    catalogo.setBd_lig(m_ligacao);
    PainelFuncionarios->ResetBotoes();
    PainelFuncionarios->CarregarBotoes_Recordset(catalogo.Lista_Funcionarios());
    QString codigo, senha;
    qint16 nivel = 0;
    Login->ObterUtilizador(codigo, senha, nivel);
}

void frmSupervisor::entrou(const QString& codigo, const QString& nome, qint16 nivel)
{
    const QString quem = codigo + QLatin1Char('-') + nome;
    if (nivel >= m_nivelMinimo) {
        Funcionario = quem;
        accept();
        return;
    }
    const QString mensagem =
        QStringLiteral("%1 não tem nível de supervisor (nível %2).\nAs definições só abrem com a palavra passe de um "
                       "funcionário de nível %3 ou superior.")
            .arg(nome)
            .arg(nivel)
            .arg(m_nivelMinimo);
    Login->Reset();
    emit Recusado(quem, mensagem);
    if (m_operador) m_operador->Aviso(mensagem, 2, 3345);
}

void frmSupervisor::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    adjustSize();
    CentrarNoEcra(this);
}
