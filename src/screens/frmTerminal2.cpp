#include "screens/frmTerminal2.h"

#include <cmath>
#include <utility>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

#include "base/InteraccaoOperador.h"
#include "base/PastaPrograma.h"
#include "controls/PainelBotoes.h"
#include "controls/Twips.h"
#include "controls/ucLogin.h"
#include "dataaccess/LeitorConfiguracao.h"
#include "engine/Cl_EQP.h"
#include "engine/cl_Funcionarios.h"
#include "erp/DefinicoesKova.h"
#include "erp/LigacaoKova.h"
#include "screens/PainelConsumo.h"

namespace {

int inteiro(double valor)
{
    return int(std::nearbyint(valor));
}

} // namespace

frmTerminal2::frmTerminal2(QWidget* parent) : EcraTerminal(parent)
{
    PainelBotesUtilizadores = new PainelBotoes(this);
    PainelObra = new PainelBotoes(this);
    PainelFuncoes = new PainelBotoes(this);
    PainelOperacoes = new PainelBotoes(this);
    ucLogin = new ::ucLogin(this);
    PainelDonsumo = new PainelConsumo(this);
    PainelBotesUtilizadores->setObjectName(QStringLiteral("PainelBotesUtilizadores"));
    PainelObra->setObjectName(QStringLiteral("PainelObra"));
    PainelFuncoes->setObjectName(QStringLiteral("PainelFuncoes"));
    PainelOperacoes->setObjectName(QStringLiteral("PainelOperacoes"));

    Menu_exit->setText(QStringLiteral("Sair"));
    // The ERP link's settings beside the database's, before the separator.
    Menu_ERP = new QAction(QStringLiteral("Ligação ao ERP"), Menu);
    Menu->insertAction(Menu->actions().value(1), Menu_ERP);
    connect(Menu_ERP, &QAction::triggered, this,
            [this] { Proteger(QStringLiteral("Menu_ERP"), [this] { AbrirDefinicoesKova(); }); });

    // Design state: the work panels, the information frame and the consumption panel hidden.
    for (QWidget* w : {static_cast<QWidget*>(PainelObra), static_cast<QWidget*>(PainelFuncoes),
                       static_cast<QWidget*>(PainelOperacoes), static_cast<QWidget*>(PainelInfo),
                       static_cast<QWidget*>(PainelDonsumo)})
        w->hide();

    connect(PainelBotesUtilizadores, &PainelBotoes::clicou, this,
            [this](const QString& n, const QString& c) { EscolheuUtilizadorPainel(n, c); });
    connect(PainelObra, &PainelBotoes::clicou, this,
            [this](const QString& n, const QString& c) { EscolheuObra(n, c); });
    connect(PainelFuncoes, &PainelBotoes::clicou, this,
            [this](const QString& n, const QString& c) { EscolheuFuncao(n, c); });
    connect(PainelOperacoes, &PainelBotoes::clicou, this,
            [this](const QString& n, const QString& c) { EscolheuOperacao(n, c); });
    connect(ucLogin, &::ucLogin::EscolheuUtilizador, this,
            [this](const QString& c, const QString& n, qint16 nivel) { Login(c, n, nivel); });
    connect(ucLogin, &::ucLogin::Sair, this, [this] {
        if (PodeSair()) close();
    });
    // The employee the login control holds, however he was chosen, is marked among the buttons.
    connect(ucLogin->Combo1, &QComboBox::currentTextChanged, this, [this] { MarcarFuncionarioDoLogin(); });
    // Every refused login goes to the daily log, with the employee and the message.
    connect(ucLogin, &::ucLogin::Recusado, this, [this](const QString& funcionario, const QString& mensagem) {
        Registar(Agora(), QStringLiteral("Utilizador:") + funcionario, QString(), QString(), QString(), mensagem);
    });
    connect(PainelDonsumo, &PainelConsumo::Confirmado, this, [this](const QDateTime& quando, const QString& mensagem) {
        Registar(quando.toString(QStringLiteral("dd/MM/yyyy - hh:mm:ss")), m_registoConsumo.value(0),
                 m_registoConsumo.value(1), m_registoConsumo.value(2), m_registoConsumo.value(3), mensagem);
    });
    connect(PainelDonsumo, &PainelConsumo::Lancado, this, [this](const QString& texto) {
        m_lancamento = m_nomeActual.isEmpty() ? texto : texto + QLatin1Char('\n') + m_nomeActual;
    });
    connect(PainelDonsumo, &PainelConsumo::Terminou, this, [this] {
        EscondeConsumo();
        Limpar(true);
        // The document posted stays in sight over the identification.
        if (!m_lancamento.isEmpty()) MostrarConfirmacao(std::exchange(m_lancamento, QString()));
    });

    const auto proteger = [this](const QString& rotina, const std::function<void()>& corpo) {
        Proteger(rotina, corpo);
    };
    ucLogin->setProtector(proteger);
    PainelDonsumo->setProtector(proteger);
}

frmTerminal2::~frmTerminal2()
{
    if (m_ligKova) m_ligKova->Desligar();
    m_ligKova.reset();
}

void frmTerminal2::setLigKova(std::unique_ptr<LigacaoKova> link)
{
    m_ligKova = std::move(link);
    PainelDonsumo->setLigKova(m_ligKova.get());
}

void frmTerminal2::Mostra()
{
    ucLogin->setLigacao(Ligacao);
    ucLogin->setOperador(operador());
    PainelDonsumo->lbUnidade->clear();
    EcraTerminal::Mostra();
    PainelDonsumo->setLigacao(Ligacao);
    PainelDonsumo->setEQP(EQP.get());
    PainelDonsumo->setOperador(operador());
    ucLogin->setBackColor(palette().color(QPalette::Window));
    CentrarLogin();
    MostraEscolhaUtilizador();
    PainelBotesUtilizadores->show();
    CarregarPainel(
        QStringLiteral("ucLogin"), QStringLiteral("Mostra"),
        [this] { ucLogin->ObterUtilizador(UtilizadorActual, PasswordActual, NivelActual); },
        [this] { ucLogin->CarregarLista(); });
}

void frmTerminal2::CarregaEcra()
{
    CarregaPainelBase();
    CarregaPainelHora();
    CarregaPainelInfo();
    // The client area is final only now: the identification state is laid out again for it.
    CentrarLogin();
    PainelBotesUtilizadores->setGeometry(ucLogin->x(), 0, ucLogin->width(), ucLogin->y());
}

void frmTerminal2::CentrarLogin()
{
    ucLogin->move((width() - ucLogin->width()) / 2, (height() - ucLogin->height()) / 2);
}

frmTerminal2::Geometria frmTerminal2::CalculaGeometria(double W, double H, double alturaFrameBase)
{
    const double P = H - (alturaFrameBase + 120);
    const int coluna = inteiro(W * 32 / 100);
    Geometria g;
    g.Obra = QRect(0, 0, coluna, inteiro(P));
    g.Funcoes = QRect(inteiro(W / 3), 0, coluna, inteiro(P));
    g.Operacoes = QRect(inteiro(W / 3 + W / 3), 0, coluna, inteiro(P));
    return g;
}

frmTerminal2::Geometria frmTerminal2::geometria() const
{
    return CalculaGeometria(Largura(), Altura(), Twips::DePx(FrameBase->height()));
}

void frmTerminal2::MostraEscolhaUtilizador()
{
    PainelBotesUtilizadores->setGeometry(ucLogin->x(), 0, ucLogin->width(), ucLogin->y());
    CarregarPainel(QStringLiteral("PainelBotesUtilizadores"), QStringLiteral("CarregaListaUtilizadores"),
                   [this] { CarregaListaUtilizadores(); });
    FrameBase->hide();
}

void frmTerminal2::CarregaListaUtilizadores()
{
    cl_Funcionarios catalogo;
    catalogo.setBd_lig(Ligacao);
    const Registos lista = catalogo.Lista_Funcionarios();
    PainelBotesUtilizadores->ResetBotoes();
    QStringList nomes{QString()};
    QStringList codigos{QString()};
    for (const Registos::Linha l : lista) {
        nomes << l.texto(QStringLiteral("Nome"));
        codigos << l.texto(QStringLiteral("Codigo"));
    }
    PainelBotesUtilizadores->CarregarBotoes_Lista(nomes, codigos);
    MarcarFuncionarioDoLogin();
}

void frmTerminal2::MarcarFuncionarioDoLogin()
{
    PainelBotesUtilizadores->setSeleccionados({ucLogin->Combo1->currentText().section(u'-', 0, 0).trimmed()});
}

void frmTerminal2::EscolheuUtilizadorPainel(const QString& Nome, const QString& Codigo)
{
    ucLogin->IntroduzirNome(Codigo.trimmed() + QLatin1Char('-') + Nome.trimmed());
}

void frmTerminal2::Login(const QString& Codigo, const QString& Nome, qint16)
{
    Proteger(QStringLiteral("EscolheuUtilizador"), [&] {
        FrameBase->show();
        MostraPaineisTrabalho();
        ucLogin->hide();
        UtilizadorActual = Codigo;
        // The user line shows who is logged in.
        m_nomeActual = Nome;
        NomeUtilizador = Nome;
        MostraInfo();
        PainelInfo->show();
        FrameBase->show();
        PainelBotesUtilizadores->hide();
    });
}

void frmTerminal2::MostraPaineisTrabalho()
{
    // Each on its own: a list that cannot be read leaves only its panel empty, loaded again later.
    CarregarPainel(QStringLiteral("PainelObra"), QStringLiteral("CarregaPainelObra"), [this] { CarregaPainelObra(); });
    CarregarPainel(QStringLiteral("PainelFuncoes"), QStringLiteral("CarregaPainelFuncoes"),
                   [this] { CarregaPainelFuncoes(); });
    CarregarPainel(QStringLiteral("PainelOperacoes"), QStringLiteral("CarregaPainelOperacoes"),
                   [this] { CarregaPainelOperacoes(); });
    PainelObra->show();
    PainelFuncoes->show();
    PainelOperacoes->show();
}

void frmTerminal2::CarregaPainelObra()
{
    const QRect g = geometria().Obra;
    PainelObra->setGeometriaTwips(g.x(), g.y(), g.width(), g.height());
    QStringList textos{QString(), QStringLiteral("Obra")};
    QStringList codigos{QString(), QStringLiteral("OB001")};
    const Registos ordens = EQP->ListaOrdensPorFUncionario(UtilizadorActual);
    for (const Registos::Linha l : ordens) {
        const QString fo = l.texto(QStringLiteral("Fo"));
        textos << QStringLiteral("Obra ") + fo;
        codigos << fo;
    }
    PainelObra->CarregarBotoes_Lista(textos, codigos);
}

void frmTerminal2::CarregaPainelFuncoes()
{
    const QRect g = geometria().Funcoes;
    PainelFuncoes->setGeometriaTwips(g.x(), g.y(), g.width(), g.height());
    CarregarFuncoes(PainelFuncoes, {QStringLiteral("Consumo de Materiais")}, {QStringLiteral("AC008")});
}

void frmTerminal2::CarregaPainelOperacoes()
{
    const QRect g = geometria().Operacoes;
    PainelOperacoes->setGeometriaTwips(g.x(), g.y(), g.width(), g.height());
    CarregarOperacoes(PainelOperacoes);
}

void frmTerminal2::EscolheuObra(const QString&, const QString& Codigo)
{
    Proteger(QStringLiteral("PainelObra"), [&] {
        if (Codigo == QLatin1String("OB001"))
            IntroduzirObra();
        else
            Obra = Codigo;
        MostraInfo();
    });
}

void frmTerminal2::CodigoLidoEcra(const CodigoLido& c)
{
    const QString lido = QStringLiteral("(código lido \"%1\")").arg(c.lido);
    QString codigo, nome;
    if (!PainelDonsumo->isHidden()) {
        if (c.tipo != TipoCodigo::Artigo) {
            RecusarLeitura(QStringLiteral("No Consumo de Materiais só se lêem códigos de artigo ") + lido + u'.');
            return;
        }
        QString recusa;
        if (!PainelDonsumo->LerArtigo(c.codigo, recusa))
            RecusarLeitura(
                (recusa.isEmpty() ? QStringLiteral("O artigo não pôde ser verificado") : recusa) + u' ' + lido, true);
        return;
    }
    if (!ucLogin->isHidden()) {
        // Identification: only a badge, which picks the employee and waits for the password.
        if (c.tipo != TipoCodigo::Funcionario)
            RecusarLeitura(QStringLiteral("Identifique-se primeiro, com o seu cartão ou tocando no seu nome ") + lido +
                           u'.');
        else if (LerFuncionario(c, codigo, nome))
            EscolheuUtilizadorPainel(nome, codigo);
        return;
    }
    switch (c.tipo) {
    case TipoCodigo::Funcionario:
        RecusarLeitura(QStringLiteral("Já está um funcionário identificado: toque em Cancelar antes de ler outro "
                                      "cartão ") +
                       lido + u'.');
        break;
    case TipoCodigo::Obra:
        ObraLida(c);
        break;
    case TipoCodigo::Operacao:
        if (LerOperacao(c, codigo, nome)) EscolheuOperacao(nome, codigo);
        break;
    case TipoCodigo::Maquina:
        RecusarLeitura(QStringLiteral("Este terminal não regista máquinas: o código de máquina lido \"%1\" não "
                                      "serve aqui.")
                           .arg(c.lido));
        break;
    case TipoCodigo::Artigo:
    case TipoCodigo::Desconhecido:
        RecusarLeitura(QStringLiteral("Os códigos de artigo só se lêem no Consumo de Materiais ") + lido + u'.');
        break;
    }
}

void frmTerminal2::MostraSeleccao()
{
    // The order's own button; "Obra" for an order typed on the keypad that has none.
    QString obra = Obra;
    if (!obra.isEmpty() && !PainelObra->temCodigo(obra)) obra = QStringLiteral("OB001");
    PainelObra->setSeleccionados({obra});
    PainelFuncoes->setSeleccionados({Funcao});
    PainelOperacoes->setSeleccionados({Operacao});
}

void frmTerminal2::Limpar(bool MudaUser)
{
    Limpar();
    ObraConsumo.clear();
    if (MudaUser) {
        m_nomeActual.clear();
        MudaUtilizador();
    } else if (!m_nomeActual.isEmpty()) {
        // Still logged in: the user line stays.
        NomeUtilizador = m_nomeActual;
        MostraInfo();
    }
}

void frmTerminal2::MudaUtilizador()
{
    for (PainelBotoes* p : {PainelObra, PainelFuncoes, PainelOperacoes}) {
        p->hide();
        p->ResetBotoes();
        // Loaded afresh at the next login.
        EsquecerPainel(p->objectName());
    }
    ucLogin->Reset();
    ucLogin->show();
    PainelInfo->hide();
    FrameBase->hide();
    MostraEscolhaUtilizador();
    PainelBotesUtilizadores->show();
}

void frmTerminal2::Cancelar()
{
    Limpar(true);
}

void frmTerminal2::Sair()
{
    if (PodeSair()) close();
}

void frmTerminal2::AbrirDefinicoesKova()
{
    if (!AutorizarDefinicoes(Menu_ERP->text())) return;
    DefinicoesKova definicoes(CaminhoConfiguracao(ficheiroConfiguracao()));
    QString erro;
    if (!LeitorConfiguracao::Gravavel(definicoes.Ficheiro, &erro)) {
        operador()->MensagemSistema(erro + QStringLiteral("\r\nCorrija o ficheiro num editor de texto antes de alterar "
                                                          "as definições do ERP."),
                                    2);
        return;
    }
    definicoes.EditarDefinicoes(operador());
}

void frmTerminal2::MostraConsumo()
{
    PainelDonsumo->MostraConsumo(ObraConsumo, width(), height());
}

void frmTerminal2::EscondeConsumo()
{
    PainelDonsumo->EscondeConsumo();
}

void frmTerminal2::AntesDeDespachar()
{
    Utilizador = UtilizadorActual;
}

EcraTerminal::Despacho frmTerminal2::Despachar(const QString& codigo, bool& resultado, QString& mensagem)
{
    if (codigo == QLatin1String("AC008")) {
        if (Obra > QString()) {
            ObraConsumo = Obra;
            // The posting is logged when it is confirmed, under the selection of this moment.
            m_registoConsumo = {lbNome->text(), lbObra->text(), lbFuncao->text(), lbMaquina->text()};
            MostraConsumo();
            return Despacho::Ecra;
        }
        mensagem = QStringLiteral("Deve Indicar a Obra");
        operador()->Aviso(mensagem, 2, AlturaDialogo);
        return Despacho::Nenhum;
    }
    return DespacharComum(codigo, resultado, mensagem);
}

void frmTerminal2::AposMotor(const QString&, bool resultado, const QString& mensagem)
{
    if (resultado) {
        Limpar(true);
    } else {
        operador()->Aviso(mensagem, 2, AlturaDialogo);
        Limpar(false);
    }
}
