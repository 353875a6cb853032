#include "screens/EcraTerminal.h"

#include <cmath>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QSysInfo>
#include <QTimer>

#include "base/InteraccaoOperador.h"
#include "base/Mod_log.h"
#include "base/PastaPrograma.h"
#include "base/Rotinas.h"
#include "controls/EtiquetaAjustada.h"
#include "controls/Fontes.h"
#include "controls/LeitorCodigos.h"
#include "controls/NotaConfirmacao.h"
#include "controls/Ocupado.h"
#include "controls/PainelBotoes.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"
#include "dataaccess/DefinicoesBD.h"
#include "dataaccess/DefinicoesLeitor.h"
#include "dataaccess/ErroBD.h"
#include "dataaccess/FalhaServidor.h"
#include "dataaccess/LeitorConfiguracao.h"
#include "dataaccess/LigacaoDados.h"
#include "dataaccess/MonitorLigacao.h"
#include "engine/Cl_EQP.h"
#include "engine/Reenvio.h"
#include "engine/cl_Funcionarios.h"
#include "engine/cl_Maquinas.h"
#include "engine/cl_Motivos.h"
#include "engine/cl_Operacoes.h"
#include "screens/InteraccaoEcra.h"
#include "screens/TextoConfirmacao.h"

namespace {

// Design sizes of the bottom strip, in twips.
constexpr double LarguraInfo = 4455;
constexpr double LarguraBase = 6015;
constexpr double LarguraDataHora = 4455;
constexpr double AlturaFaixa = 1815;

// A label whose text shrinks rather than being cut.
QLabel* novaEtiqueta(QWidget* pai, double pontos)
{
    auto* l = new EtiquetaAjustada(pai);
    l->setFont(FonteTerminal(pontos, true));
    return l;
}

} // namespace

EcraTerminal::EcraTerminal(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Terminal"));
    setAutoFillBackground(true);

    PainelInfo = new QGroupBox(QStringLiteral("Painel de Informação"), this);
    PainelInfo->setFont(FonteTerminal(10, false));
    lbNome = novaEtiqueta(PainelInfo, 12);
    lbObra = novaEtiqueta(PainelInfo, 12);
    lbFuncao = novaEtiqueta(PainelInfo, 12);
    lbOperacao = novaEtiqueta(PainelInfo, 12);
    lbMaquina = novaEtiqueta(PainelInfo, 12);
    lbNome->setObjectName(QStringLiteral("lbNome"));
    lbObra->setObjectName(QStringLiteral("lbObra"));
    lbFuncao->setObjectName(QStringLiteral("lbFuncao"));
    lbOperacao->setObjectName(QStringLiteral("lbOperacao"));
    lbMaquina->setObjectName(QStringLiteral("lbMaquina"));

    FrameBase = new QGroupBox(QStringLiteral("Funções Base"), this);
    FrameBase->setFont(FonteTerminal(10, false));
    btConfirmar = new okaBotao(FrameBase);
    btConfirmar->setText(QStringLiteral("&Confirmar"));
    btCancelar = new okaBotao(FrameBase);
    btCancelar->setText(QStringLiteral("C&ancelar"));
    btSair = new okaBotao(FrameBase);
    btSair->setText(QStringLiteral("&Sair"));
    for (okaBotao* b : {btConfirmar, btCancelar, btSair})
        b->setFont(FonteTerminal(12, true));

    FrameDataHora = new QGroupBox(this);
    lbHora = novaEtiqueta(FrameDataHora, 24);
    lbData = novaEtiqueta(FrameDataHora, 12);
    lbHora->setAlignment(Qt::AlignCenter);
    lbData->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    for (QLabel* l : {lbNome, lbObra, lbFuncao, lbOperacao, lbMaquina})
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    btConfigurar = new okaBotao(FrameDataHora);
    btConfigurar->setText(QStringLiteral("&Configurar"));
    btConfigurar->setFont(FonteTerminal(10, true));

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    Menu = new QMenu(QStringLiteral("Configuração"), this);
    // Entries as high as a panel button, to be touched.
    Menu->setFont(FonteTerminal(14, true));
    Menu->setStyleSheet(QStringLiteral("QMenu::item { padding: %1px %2px; }").arg(Twips::Px(240)).arg(Twips::Px(360)));
    Menu_SQL = Menu->addAction(QStringLiteral("Ligação ao Servidor SQL"));
    Menu_Recusados = Menu->addAction(QStringLiteral("Registos Recusados"));
    Menu->addSeparator();
    Menu_exit = Menu->addAction(QStringLiteral("&Sair"));

    // Design positions; CarregaPainel* place the frames once the client area is known.
    PainelInfo->setGeometry(Twips::Rect(0, 0, LarguraInfo, AlturaFaixa));
    FrameBase->setGeometry(Twips::Rect(0, 0, LarguraBase, AlturaFaixa));
    FrameDataHora->setGeometry(Twips::Rect(0, 0, LarguraDataHora, AlturaFaixa));
    const double larguraBotao = (LarguraBase - 4 * 120) / 3;
    int i = 0;
    for (okaBotao* b : {btConfirmar, btCancelar, btSair})
        b->setGeometry(Twips::Rect(120 + i++ * (larguraBotao + 120), 300, larguraBotao, AlturaFaixa - 420));
    // Configurar is a touch button of the panels' size, right of the time; the date below both.
    btConfigurar->setGeometry(Twips::Rect(LarguraDataHora - 60 - PainelBotoes::LarguraBotao, 300,
                                          PainelBotoes::LarguraBotao, PainelBotoes::AlturaBotao));
    lbHora->setGeometry(
        Twips::Rect(60, 300, LarguraDataHora - 240 - PainelBotoes::LarguraBotao, PainelBotoes::AlturaBotao));
    lbData->setGeometry(Twips::Rect(60, 1200, LarguraDataHora - 120, 555));

    connect(btConfirmar, &QPushButton::clicked, this, [this] { Confirmar(); });
    connect(btCancelar, &QPushButton::clicked, this, [this] {
        Ocupado ocupado(this);
        Cancelar();
    });
    connect(btSair, &QPushButton::clicked, this, [this] { Sair(); });
    connect(btConfigurar, &QPushButton::clicked, this, [this] { Menu->popup(QCursor::pos()); });
    connect(Menu_SQL, &QAction::triggered, this,
            [this] { Proteger(QStringLiteral("Menu_SQL"), [this] { AbrirDefinicoesBD(); }); });
    connect(Menu_Recusados, &QAction::triggered, this,
            [this] { Proteger(QStringLiteral("Menu_Recusados"), [this] { MostrarRecusados(); }); });
    connect(Menu_exit, &QAction::triggered, this, [this] { SairMenu(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    m_leitor = new LeitorCodigos(this);
    connect(m_leitor, &LeitorCodigos::codigoLido, this, [this](const QString& lido) { LeituraCodigo(lido); });

    Timer1->start();
    DataHora();
}

EcraTerminal::~EcraTerminal()
{
    m_monitor.reset();
    m_reenvio.reset();
    m_executorReenvio.reset();
    m_eqpReenvio.reset();
    m_envio.reset();
    m_executor.reset();
    EQP.reset();
    if (m_ligacaoPropria) m_ligacaoPropria->Fechar();
}

void EcraTerminal::setLigacao(LigacaoDados* ligacao)
{
    m_ligacaoPropria.reset();
    Ligacao = ligacao;
}

void EcraTerminal::setLigacao(std::unique_ptr<LigacaoDados> ligacao)
{
    m_ligacaoPropria = std::move(ligacao);
    Ligacao = m_ligacaoPropria.get();
}

void EcraTerminal::setOperador(InteraccaoOperador* operador)
{
    m_operador = operador;
    if (EQP) EQP->setOperador(operador);
}

InteraccaoOperador* EcraTerminal::operador()
{
    if (!m_operador) {
        m_operadorProprio = std::make_unique<InteraccaoEcra>(this);
        m_operador = m_operadorProprio.get();
    }
    return m_operador;
}

void EcraTerminal::setDefinicoesLeitor(const DefinicoesLeitor& definicoes)
{
    m_prefixos = definicoes.Prefixos;
    m_leitor->setIntervaloMaximo(definicoes.IntervaloMaximo);
}

void EcraTerminal::Mostra()
{
    EQP = std::make_unique<Cl_EQP>();
    EQP->setBd_lig(Ligacao);
    EQP->setOperador(operador());
    m_leitor->instalar();
    IniciarJornal();
    // The first resize then comes at the full-screen size, which the layout is computed from.
    if (QScreen* ecra = screen()) setGeometry(ecra->geometry());
    showFullScreen();
}

QString EcraTerminal::NomeTerminal()
{
    return QSysInfo::machineHostName().left(40);
}

void EcraTerminal::IniciarJornal()
{
    if (!Ligacao) return;
    m_jornal =
        std::make_unique<JornalLocal>(m_ficheiroJornal.isEmpty() ? JornalLocal::FicheiroPadrao() : m_ficheiroJornal);
    const QString destino = Ligacao->parametros().descricao();
    m_executor = std::make_unique<ExecutorEQP>(*EQP, NomeTerminal());
    m_envio = std::make_unique<EnvioFuncoes>(*m_executor, *m_jornal, destino, NomeTerminal());
    m_eqpReenvio = std::make_unique<Cl_EQP>();
    m_eqpReenvio->setBd_lig(Ligacao);
    m_executorReenvio = std::make_unique<ExecutorEQP>(*m_eqpReenvio, NomeTerminal());
    m_reenvio = std::make_unique<Reenvio>(*m_jornal, *m_executorReenvio, destino);
    connect(m_reenvio.get(), &Reenvio::entradaTratada, this,
            [this](const EventoReenvio& evento) { RegistarReenvio(evento); });
    try {
        m_jornal->ApagarEnviadasAntesDe(QDateTime::currentDateTime().addDays(-30));
    } catch (const ErroJornal& e) {
        // Said by the strip and at the first function that must be kept.
        Registar(Agora(), QString(), QString(), QString(), QString(), e.texto());
    }
    ActualizarJornal();
    if (PorEnviar > 0) EsperarServidor();
}

void EcraTerminal::ActualizarJornal()
{
    if (!m_jornal) return;
    QString titulo;
    try {
        const QString destino = Ligacao->parametros().descricao();
        PorEnviar = m_jornal->NumeroPendentes(destino);
        Recusados = m_jornal->NumeroRecusadas(destino);
        if (PorEnviar > 0 || Recusados > 0)
            titulo = QStringLiteral("Por enviar: %1 · Recusados: %2").arg(PorEnviar).arg(Recusados);
    } catch (const ErroJornal&) {
        titulo = QStringLiteral("Jornal com erro");
    }
    FrameDataHora->setTitle(titulo);
    // Refused entries want a supervisor: in red; entries waiting only in the frame's dark colour.
    FrameDataHora->setStyleSheet(Recusados > 0 || titulo == QLatin1String("Jornal com erro")
                                     ? QStringLiteral("QGroupBox::title { color: #b00020; }")
                                     : QString());
}

bool EcraTerminal::SemLigacao() const
{
    return m_monitor && m_monitor->activo();
}

void EcraTerminal::EsperarServidor()
{
    if (!m_monitor) {
        m_monitor = std::make_unique<MonitorLigacao>(Ligacao->parametros());
        connect(m_monitor.get(), &MonitorLigacao::alcancavel, this, [this] { AgendarReenvio(0); });
    }
    m_monitor->Iniciar();
}

void EcraTerminal::AgendarReenvio(int ms)
{
    if (m_reenvioAgendado) return;
    m_reenvioAgendado = true;
    QTimer::singleShot(ms, this, [this] {
        m_reenvioAgendado = false;
        ReenviarPasso();
    });
}

void EcraTerminal::ReenviarPasso()
{
    if (!m_reenvio) return;
    // Never in the middle of the screen's own work, nor under a dialog the operator is reading.
    if (m_aTrabalhar > 0 || QApplication::activeModalWidget()) {
        AgendarReenvio(500);
        return;
    }
    ++m_aTrabalhar;
    const RelatorioReenvio r = m_reenvio->Executar(EntradasPorPasso);
    --m_aTrabalhar;
    ActualizarJornal();
    if (r.ocupado) {
        // Another process sends this journal now: looked at again later.
        EsperarServidor();
        return;
    }
    if (r.interrompido) {
        // A journal that cannot be written is said once; the server out of reach is waited for.
        if (r.falhaJornal && r.falha != m_falhaJornalMostrada) {
            m_falhaJornalMostrada = r.falha;
            Registar(Agora(), QString(), QString(), QString(), QString(), r.falha);
            operador()->MensagemSistema(r.falha, 2);
        }
        EsperarServidor();
        return;
    }
    if (r.pendentes > 0) AgendarReenvio(0);
}

void EcraTerminal::RegistarReenvio(const EventoReenvio& evento)
{
    const EntradaJornal& e = evento.entrada;
    Registar(Agora(), e.NomeUtilizador.isEmpty() ? QString() : QStringLiteral("Utilizador:") + e.NomeUtilizador,
             e.Obra.isEmpty() ? QString() : QStringLiteral("Obra:") + e.Obra,
             e.DescricaoFuncao.isEmpty() ? QString() : QStringLiteral("Função:") + e.DescricaoFuncao,
             e.DescricaoMaquina.isEmpty() ? QString() : QStringLiteral("Maquina:") + e.DescricaoMaquina,
             Reenvio::TextoLog(evento));
}

void EcraTerminal::MostrarRecusados()
{
    if (!m_jornal) return;
    const QString titulo = Menu_Recusados->text();
    QString supervisor;
    const QString funcao = QStringLiteral("Função:") + titulo;
    if (!operador()->AutorizarSupervisor(titulo, Ligacao, m_definicoesEcra.NivelSupervisor, supervisor,
                                         [&](const QString& quem, const QString& mensagem) {
                                             Registar(Agora(), QStringLiteral("Utilizador:") + quem, QString(), funcao,
                                                      QString(), mensagem);
                                         }))
        return;
    const QList<EntradaJornal> recusadas = m_jornal->Recusadas(Ligacao->parametros().descricao());
    Registar(Agora(), QStringLiteral("Utilizador:") + supervisor, QString(), funcao, QString(),
             QStringLiteral("Registos recusados vistos com a palavra passe do supervisor (%1).").arg(recusadas.size()));
    if (recusadas.isEmpty()) {
        operador()->Aviso(QStringLiteral("Não há registos recusados."), 0, AlturaDialogo);
        return;
    }
    QStringList blocos;
    for (const EntradaJornal& e : recusadas) {
        QStringList quem{e.DescricaoFuncao.isEmpty() ? e.Funcao : e.DescricaoFuncao};
        if (!e.NomeUtilizador.isEmpty()) quem << e.NomeUtilizador;
        if (!e.Obra.isEmpty()) quem << QStringLiteral("obra ") + e.Obra;
        if (!e.DescricaoOperacao.isEmpty()) quem << e.DescricaoOperacao;
        if (!e.DescricaoMaquina.isEmpty()) quem << e.DescricaoMaquina;
        blocos << e.DataHora.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) + QStringLiteral(" — ") +
                      quem.join(QStringLiteral(", ")) + QStringLiteral("\r\n") + e.Mensagem;
    }
    operador()->Aviso(QStringLiteral("Registos recusados pelo servidor (%1):\r\n\r\n").arg(recusadas.size()) +
                          blocos.join(QStringLiteral("\r\n\r\n")),
                      0, AlturaDialogoLista);
}

double EcraTerminal::Largura() const
{
    return Twips::DePx(width());
}

double EcraTerminal::Altura() const
{
    return Twips::DePx(height());
}

double EcraTerminal::AlturaPaineis() const
{
    return Altura() - (Twips::DePx(FrameBase->height()) + 120);
}

void EcraTerminal::resizeEvent(QResizeEvent* evento)
{
    QWidget::resizeEvent(evento);
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        setWindowState(windowState() | Qt::WindowFullScreen);
        return;
    }
    if (!EcraCarregado) {
        CarregaEcra();
        EcraCarregado = true;
    }
}

void EcraTerminal::CarregaPainelBase()
{
    const double W = Largura();
    const double H = Altura();
    const double altura = Twips::DePx(FrameBase->height());
    const double largura = Twips::DePx(FrameBase->width());
    FrameBase->move(Twips::Px((W - largura) / 2), Twips::Px(H - altura));
    FrameBase->update();
}

void EcraTerminal::CarregaPainelHora()
{
    const double W = Largura();
    const double H = Altura();
    FrameDataHora->move(Twips::Px(W - Twips::DePx(FrameDataHora->width())),
                        Twips::Px(H - Twips::DePx(FrameDataHora->height())));
}

void EcraTerminal::CarregaPainelInfo()
{
    const double H = Altura();
    const double altura = Twips::DePx(PainelInfo->height());
    const double largura = std::nearbyint(Twips::DePx(FrameBase->x()) - 140);
    PainelInfo->setGeometry(0, Twips::Px(H - altura), Twips::Px(largura), PainelInfo->height());
    // The lines take the frame's width, so that long captions are not cut, and share the height
    // inside the frame, under its caption and border.
    const QRect dentro = PainelInfo->contentsRect();
    const int larguraLinha = PainelInfo->width() - 2 * Twips::Px(60);
    const int passo = qMin(Twips::Px(360), dentro.height() / 5);
    int i = 0;
    for (QLabel* l : {lbNome, lbObra, lbFuncao, lbOperacao, lbMaquina})
        l->setGeometry(Twips::Px(60), dentro.top() + passo * i++, larguraLinha, passo);
}

void EcraTerminal::DataHora()
{
    static const QLocale pt(QLocale::Portuguese, QLocale::Portugal);
    lbHora->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    const QString dia = pt.toString(QDate::currentDate(), QStringLiteral("dddd dd"));
    const QString mes = pt.toString(QDate::currentDate(), QStringLiteral("MMMM  yyyy"));
    lbData->setText(dia + QStringLiteral(" de ") + mes);
}

void EcraTerminal::Timer1_Timer()
{
    DataHora();
    // Not while a dialog is open: the operator is busy and the panels are behind it.
    if (!m_porCarregar.isEmpty() && !QApplication::activeModalWidget() &&
        (!m_desdeTentativa.isValid() || m_desdeTentativa.elapsed() >= IntervaloRecarga))
        RecarregarPaineis(false);
}

QStringList EcraTerminal::PaineisPorCarregar() const
{
    QStringList r;
    for (const PainelPendente& p : m_porCarregar)
        r << p.nome;
    return r;
}

bool EcraTerminal::CarregarPainel(const QString& nome, const QString& rotina, const std::function<void()>& carregar,
                                  const std::function<void()>& recarregar)
{
    const bool outroPendente = !m_porCarregar.isEmpty() && PaineisPorCarregar() != QStringList{nome};
    try {
        carregar();
        EsquecerPainel(nome);
        return true;
    } catch (const std::exception& e) {
        MostraInfo();
        const QString mensagem = textoErro(rotina, e);
        if (!outroPendente) operador()->MensagemSistema(mensagem, 2);
        Registar(Agora(), lbNome->text(), lbObra->text(), lbFuncao->text(), lbMaquina->text(), mensagem);
        EsquecerPainel(nome);
        m_porCarregar.push_back({nome, rotina, recarregar ? recarregar : carregar});
        m_desdeTentativa.start();
        return false;
    }
}

void EcraTerminal::RecarregarPaineis(bool mostrarErro)
{
    m_desdeTentativa.start();
    const QList<PainelPendente> pendentes = m_porCarregar;
    for (const PainelPendente& p : pendentes) {
        try {
            p.carregar();
            EsquecerPainel(p.nome);
        } catch (const std::exception& e) {
            // The first failure tells the operator when he asked (Cancelar); the database is
            // still not answering, so the rest wait for the next try.
            if (mostrarErro) {
                MostraInfo();
                const QString mensagem = textoErro(p.rotina, e);
                operador()->MensagemSistema(mensagem, 2);
                Registar(Agora(), lbNome->text(), lbObra->text(), lbFuncao->text(), lbMaquina->text(), mensagem);
            }
            return;
        }
    }
}

void EcraTerminal::EsquecerPainel(const QString& nome)
{
    m_porCarregar.removeIf([&](const PainelPendente& p) { return p.nome == nome; });
}

void EcraTerminal::MostraInfo()
{
    lbNome->setText(NomeUtilizador.isEmpty() ? QString() : QStringLiteral("Utilizador:") + NomeUtilizador);
    lbObra->setText(Obra.isEmpty() ? QString() : QStringLiteral("Obra:") + Obra);
    lbFuncao->setText(Funcao.isEmpty() ? QString() : QStringLiteral("Função:") + DescricaoFuncao);
    lbOperacao->setText(Operacao.isEmpty() ? QString() : QStringLiteral("Operação:") + DescricaoOperacao);
    lbMaquina->setText(Maquina.isEmpty() ? QString() : QStringLiteral("Maquina:") + DescricaoMaquina);
    MostraSeleccao();
}

void EcraTerminal::Limpar()
{
    Operacao.clear();
    DescricaoOperacao.clear();
    Funcao.clear();
    DescricaoFuncao.clear();
    Maquina.clear();
    DescricaoMaquina.clear();
    MotivoSuspensao.clear();
    Utilizador.clear();
    NomeUtilizador.clear();
    Obra.clear();
    MostraInfo();
}

QString EcraTerminal::Agora()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy - hh:mm:ss"));
}

void EcraTerminal::Confirmar()
{
    // Touches made while the engine works are dropped: a second Confirmar records nothing.
    Ocupado ocupado(this);
    ++m_aTrabalhar;
    const auto fim = qScopeGuard([this] { --m_aTrabalhar; });
    QApplication::beep();
    const QString quando = Agora();
    const QString nome = lbNome->text();
    const QString obra = lbObra->text();
    const QString funcao = lbFuncao->text();
    const QString maquina = lbMaquina->text();
    QString mensagem;
    try {
        AntesDeDespachar();
        const QString codigo = Funcao;
        const SeleccaoConfirmada seleccao{NomeUtilizador,   Obra,           Funcao, DescricaoOperacao,
                                          DescricaoMaquina, MotivoSuspensao};
        bool resultado = false;
        m_desfecho = DesfechoConfirmacao{};
        const Despacho despacho = Despachar(codigo, resultado, mensagem);
        switch (despacho) {
        case Despacho::Motor:
            AposMotor(codigo, resultado, mensagem);
            // Shown once the screen is in the state it returns to. Kept to be sent: a notice that
            // it is not on the server yet; a lost answer to a COMMIT: what its token said.
            if (m_desfecho.guardada)
                operador()->Aviso(mensagem, 0, AlturaDialogo);
            else if (resultado && m_desfecho.incerta)
                MostrarConfirmacao(mensagem + (seleccao.NomeUtilizador.isEmpty()
                                                   ? QString()
                                                   : QStringLiteral("\n") + seleccao.NomeUtilizador));
            else if (resultado)
                MostrarConfirmacao(TextoConfirmacao(seleccao, EQP->Resultado(), mensagem));
            ActualizarJornal();
            break;
        case Despacho::Desconhecida:
            operador()->Aviso(QStringLiteral("Função não implementada ! <") + codigo + QStringLiteral(">"), 2,
                              AlturaDialogo);
            break;
        case Despacho::Nenhum:
            break;
        case Despacho::Ecra:
            // One line per function: the panel writes it when its own confirmation ends.
            return;
        }
    } catch (const ErroJornal& e) {
        // Neither done on the server nor kept: the operator must know that nothing was recorded.
        MostraInfo();
        mensagem = QStringLiteral("Sem ligação ao servidor, e o registo não pôde ser guardado no jornal: %1 Nada "
                                  "foi registado; repita quando o servidor responder.")
                       .arg(e.texto());
        operador()->MensagemSistema(mensagem, 2);
        ActualizarJornal();
    } catch (const std::exception& e) {
        MostraInfo();
        mensagem = textoErro(QStringLiteral("Confirmar"), e);
        operador()->MensagemSistema(mensagem, 2);
    }
    Registar(quando, nome, obra, funcao, maquina, mensagem);
}

void EcraTerminal::MostrarConfirmacao(const QString& texto)
{
    if (!m_nota) m_nota = new NotaConfirmacao(this);
    m_nota->Mostrar(texto, QRect(0, 0, width(), Twips::Px(AlturaPaineis())));
}

EcraTerminal::Despacho EcraTerminal::Despachar(const QString& codigo, bool& resultado, QString& mensagem)
{
    return DespacharComum(codigo, resultado, mensagem);
}

EcraTerminal::Despacho EcraTerminal::DespacharComum(const QString& codigo, bool& resultado, QString& mensagem)
{
    switch (ExecutorEQP::Natureza(codigo, EcraDoTipo(TipoTerminal()))) {
    case ResultadoFuncao::Tipo::Nenhuma:
        return Despacho::Nenhum;
    case ResultadoFuncao::Tipo::Motor:
        return Enviar(codigo, resultado, mensagem);
    default:
        return Despacho::Desconhecida;
    }
}

EcraTerminal::Despacho EcraTerminal::Enviar(const QString& codigo, bool& resultado, QString& mensagem)
{
    if (!m_envio) throw ErroBD(QStringLiteral("Cl_EQP sem ligação à base de dados"));
    EntradaJornal f;
    f.Funcao = codigo;
    f.DescricaoFuncao = DescricaoFuncao;
    f.TipoTerminal = TipoTerminal();
    f.Utilizador = Utilizador;
    f.NomeUtilizador = NomeUtilizador;
    f.Obra = Obra;
    f.Operacao = Operacao;
    f.DescricaoOperacao = DescricaoOperacao;
    f.Maquina = Maquina;
    f.DescricaoMaquina = DescricaoMaquina;
    f.MotivoSuspensao = MotivoSuspensao;
    f.DataHora = QDateTime::currentDateTime();
    if (!Obra.isEmpty() && Obra == m_obraNaoVerificada)
        f.VerificacoesOmitidas << ExecutorEQP::VerificacaoExistenciaObra();
    m_desfecho = m_envio->Confirmar(f);
    resultado = m_desfecho.resultado.resultado;
    mensagem = m_desfecho.resultado.mensagem;
    // Sent later, once the server answers: waited for from now on.
    if (m_desfecho.guardada) EsperarServidor();
    return Despacho::Motor;
}

bool EcraTerminal::EscolhaFuncaoEcra(const QString&, QString&)
{
    return false;
}

void EcraTerminal::EscolheuFuncao(const QString& Nome, const QString& Codigo)
{
    Proteger(QStringLiteral("PainelFuncoes"), [&] {
        QString codigo = Codigo;
        if (!EscolhaFuncaoEcra(Nome, codigo)) {
            if (codigo == QLatin1String("AC001")) {
                // Without the server, the reasons read last time are offered.
                if (!SemLigacao() || !m_temMotivos) {
                    try {
                        cl_Motivos motivos;
                        motivos.setBid_lig(Ligacao);
                        m_motivos = motivos.Lista_Motivos();
                        m_temMotivos = true;
                    } catch (const ErroBD& e) {
                        if (!ServidorInacessivel(e)) throw;
                        EsperarServidor();
                    }
                }
                const Registos lista = m_motivos;
                if (!lista.vazio()) {
                    const QString motivo = operador()->EscolherMotivo(lista, QStringLiteral("MOTIVO DA SUSPENSÃO"));
                    // Left without a reason ("Cancelar"): no suspension is selected.
                    if (motivo.isEmpty()) codigo.clear();
                    MotivoSuspensao = motivo.isEmpty() ? MotivoSuspensao : motivo;
                }
                DescricaoFuncao =
                    codigo.isEmpty() ? QString() : Nome + QStringLiteral("(") + MotivoSuspensao + QStringLiteral(")");
            } else {
                DescricaoFuncao = Nome;
            }
        }
        Funcao = codigo;
        MostraInfo();
    });
}

void EcraTerminal::EscolheuOperacao(const QString& Nome, const QString& Codigo)
{
    Operacao = Codigo;
    DescricaoOperacao = Nome;
    MostraInfo();
}

void EcraTerminal::IntroduzirObra()
{
    // The number is kept only once the lookup answered: a database error leaves no unchecked order.
    const QString numero = operador()->PedirNumero(QStringLiteral("INTRODUZA O NUMERO DA ORDEM"));
    Obra.clear();
    if (numero.isEmpty() || !SeleccionarObra(numero)) DescricaoFuncao.clear();
}

bool EcraTerminal::SeleccionarObra(const QString& numero)
{
    qint32 estado = 0;
    qint32 subEstado = 0;
    if (!ObraExiste(numero, estado, subEstado)) {
        operador()->Aviso(QStringLiteral("A Folha de Obra indicada não existe !"), 0, AlturaDialogo);
        return false;
    }
    Obra = numero;
    if (estado != 1) operador()->Aviso(QStringLiteral("A Folha de Obra não está em Fabrico !"), 0, AlturaDialogo);
    return true;
}

void EcraTerminal::LeituraCodigo(const QString& lido)
{
    const CodigoLido c = m_prefixos.Classificar(lido);
    const auto* campo = qobject_cast<const QLineEdit*>(QApplication::focusWidget());
    m_leituraEmSenha = campo && campo->isVisible() && campo->echoMode() != QLineEdit::Normal;
    Proteger(QStringLiteral("LeituraCodigo"), [&] {
        if (QApplication::activeModalWidget()) {
            RecusarLeitura(QStringLiteral("O código \"%1\" foi lido com uma janela aberta e não foi usado: feche a "
                                          "janela e leia o código de novo.")
                               .arg(c.lido));
        } else if (c.tipo == TipoCodigo::Desconhecido) {
            QStringList tipos;
            for (TipoCodigo t : ClassificadorCodigos::Tipos)
                tipos << QStringLiteral("%1 (%2)").arg(m_prefixos.prefixo(t), ClassificadorCodigos::NomeTipo(t));
            const QString ultimo = tipos.takeLast();
            RecusarLeitura(QStringLiteral("O código lido \"%1\" não é de nenhum tipo conhecido: os códigos começam "
                                          "por %2 ou %3.")
                               .arg(c.lido, tipos.join(QStringLiteral(", ")), ultimo));
        } else {
            CodigoLidoEcra(c);
        }
    });
    m_leituraEmSenha = false;
}

void EcraTerminal::RecusarLeitura(const QString& motivo, bool mostrado)
{
    QString mensagem = motivo;
    if (m_leituraEmSenha) {
        // A password typed very quickly reads like a scan: none of it is shown or written down.
        mensagem = QStringLiteral("A leitura no campo da palavra passe não foi usada: aqui só se lê o cartão de "
                                  "funcionário, e a palavra passe escreve-se no teclado.");
        mostrado = false;
    }
    // Written first: a scan while the message is still open is then logged after it.
    Registar(Agora(), lbNome->text(), lbObra->text(), lbFuncao->text(), lbMaquina->text(), mensagem);
    if (!mostrado) operador()->Aviso(mensagem, 2, AlturaDialogo);
}

void EcraTerminal::ObraLida(const CodigoLido& c)
{
    if (!SeleccionarObra(c.codigo))
        RecusarLeitura(QStringLiteral("A Folha de Obra indicada não existe ! (código lido \"%1\")").arg(c.lido), true);
    MostraInfo();
}

bool EcraTerminal::LerFuncionario(const CodigoLido& c, QString& codigo, QString& nome)
{
    cl_Funcionarios f;
    f.setBd_lig(Ligacao);
    f.Codigo = c.codigo;
    if (!f.Ler()) {
        RecusarLeitura(QStringLiteral("O funcionário %1 não existe (código lido \"%2\").").arg(c.codigo, c.lido));
        return false;
    }
    codigo = f.CodigoLido;
    nome = f.Nome;
    return true;
}

bool EcraTerminal::LerOperacao(const CodigoLido& c, QString& codigo, QString& nome)
{
    cl_Operacoes o;
    o.setBd_lig(Ligacao);
    o.Codigo = c.codigo;
    if (!o.Ler()) {
        RecusarLeitura(QStringLiteral("A operação %1 não existe (código lido \"%2\").").arg(c.codigo, c.lido));
        return false;
    }
    // The panels offer only operations with a name.
    if (o.Descricao.trimmed().isEmpty()) {
        RecusarLeitura(QStringLiteral("A operação %1 não tem nome e não se regista no terminal (código lido "
                                      "\"%2\").")
                           .arg(c.codigo, c.lido));
        return false;
    }
    codigo = o.CodigoLido;
    nome = o.Descricao;
    return true;
}

bool EcraTerminal::LerMaquina(const CodigoLido& c, QString& codigo, QString& nome)
{
    cl_Maquinas m;
    m.setBd_lig(Ligacao);
    m.Codigo = c.codigo;
    if (!m.Ler()) {
        RecusarLeitura(QStringLiteral("A máquina %1 não existe (código lido \"%2\").").arg(c.codigo, c.lido));
        return false;
    }
    codigo = m.CodigoLido;
    nome = m.Descricao;
    return true;
}

bool EcraTerminal::ObraExiste(const QString& numero, qint32& estado, qint32& subEstado)
{
    m_obraNaoVerificada.clear();
    if (!SemLigacao()) {
        try {
            return EQP->Existe_FolhaObra(numero, estado, subEstado);
        } catch (const ErroBD& e) {
            if (!ServidorInacessivel(e)) throw;
            EsperarServidor();
        }
    }
    m_obraNaoVerificada = numero;
    estado = 1;
    return true;
}

void EcraTerminal::CarregarFuncoes(PainelBotoes* painel, const QStringList& textos, const QStringList& codigos)
{
    painel->CarregarBotoes_Lista(QStringList{QString(), QStringLiteral("Suspender"), QStringLiteral("Por Terminar"),
                                             QStringLiteral("Por Controlar"), QStringLiteral("Obra Controlada"),
                                             QStringLiteral("Não Conforme"), QStringLiteral("Iniciar Operação")} +
                                     textos,
                                 QStringList{QString(), QStringLiteral("AC001"), QStringLiteral("AC002"),
                                             QStringLiteral("AC003"), QStringLiteral("AC004"), QStringLiteral("AC005"),
                                             QStringLiteral("AC007")} +
                                     codigos);
}

void EcraTerminal::CarregarOperacoes(PainelBotoes* painel)
{
    cl_Operacoes catalogo;
    catalogo.setBd_lig(Ligacao);
    painel->CarregarBotoes_Recordset(catalogo.Lista_Operacoes());
}

void EcraTerminal::Cancelar()
{
    QApplication::beep();
    Limpar();
    MostraInfo();
    if (!m_porCarregar.isEmpty()) RecarregarPaineis(true);
}

bool EcraTerminal::PodeSair()
{
    return !m_definicoesEcra.ConfirmarSair ||
           operador()->Confirmacao(QStringLiteral("Sair do terminal?"), 1, AlturaDialogo);
}

void EcraTerminal::Sair()
{
    QApplication::beep();
    if (PodeSair()) close();
}

void EcraTerminal::SairMenu()
{
    QApplication::beep();
    if (PodeSair()) close();
}

bool EcraTerminal::AutorizarDefinicoes(const QString& titulo)
{
    // Every refusal and the opening go to the daily log, under the employee who tried.
    const QString funcao = QStringLiteral("Função:") + titulo;
    QString supervisor;
    const bool autorizado = operador()->AutorizarSupervisor(
        titulo, Ligacao, m_definicoesEcra.NivelSupervisor, supervisor,
        [&](const QString& quem, const QString& mensagem) {
            Registar(Agora(), QStringLiteral("Utilizador:") + quem, QString(), funcao, QString(), mensagem);
        });
    if (autorizado)
        Registar(Agora(), QStringLiteral("Utilizador:") + supervisor, QString(), funcao, QString(),
                 QStringLiteral("Definições abertas com a palavra passe do supervisor."));
    return autorizado;
}

void EcraTerminal::AbrirDefinicoesBD()
{
    if (!AutorizarDefinicoes(Menu_SQL->text())) return;
    // New settings take effect at the next start; the open connection is left alone. A file that
    // cannot be read is reported instead: saving would put one section in place of all it holds.
    DefinicoesBD definicoes(CaminhoConfiguracao(m_ficheiroConfiguracao));
    QString erro;
    if (!LeitorConfiguracao::Gravavel(definicoes.Ficheiro, &erro)) {
        operador()->MensagemSistema(erro + QStringLiteral("\r\nCorrija o ficheiro num editor de texto antes de alterar "
                                                          "as definições da ligação."),
                                    2);
        return;
    }
    definicoes.Ler();
    operador()->EditarDefinicoesBD(definicoes, QDir(PastaPrograma()).filePath(QStringLiteral("Catalogos/bd.sql")));
}

QString EcraTerminal::textoErro(const QString& rotina, const std::exception& e) const
{
    QString texto;
    if (const auto* erroBD = dynamic_cast<const ErroBD*>(&e)) {
        texto = erroBD->codigoNativo().isEmpty()
                    ? QStringLiteral("Erro (%1)").arg(erroBD->texto())
                    : QStringLiteral("Erro %1 (%2)").arg(erroBD->codigoNativo(), erroBD->texto());
    } else {
        texto = QStringLiteral("Erro (%1)").arg(QString::fromUtf8(e.what()));
    }
    return texto + QStringLiteral("\r\nNa função %1 do %2").arg(rotina, QString::fromLatin1(metaObject()->className()));
}

void EcraTerminal::Proteger(const QString& rotina, const std::function<void()>& corpo)
{
    Ocupado ocupado(this);
    ++m_aTrabalhar;
    const auto fim = qScopeGuard([this] { --m_aTrabalhar; });
    try {
        corpo();
    } catch (const std::exception& e) {
        // The handler may have changed the selection before it failed: the information lines
        // show what is selected now.
        MostraInfo();
        const QString mensagem = textoErro(rotina, e);
        operador()->MensagemSistema(mensagem, 2);
        Registar(Agora(), lbNome->text(), lbObra->text(), lbFuncao->text(), lbMaquina->text(), mensagem);
    }
}

void EcraTerminal::Registar(const QString& quando, const QString& nome, const QString& obra, const QString& funcao,
                            const QString& maquina, const QString& mensagem)
{
    QString erro;
    if (EscreverLog(quando, nome, obra, funcao, maquina, mensagem, &erro)) return;
    const QDate hoje = QDate::currentDate();
    if (m_diaAvisoLog == hoje) return;
    m_diaAvisoLog = hoje;
    operador()->MensagemSistema(erro, 0);
}
