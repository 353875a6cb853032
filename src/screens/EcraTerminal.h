#pragma once

#include <functional>
#include <memory>

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QWidget>

#include "base/ClassificadorCodigos.h"
#include "dataaccess/DefinicoesEcra.h"
#include "dataaccess/Registos.h"
#include "engine/EnvioFuncoes.h"

class Cl_EQP;
class DefinicoesLeitor;
class LeitorCodigos;
class MonitorLigacao;
class Reenvio;
struct EventoReenvio;
class InteraccaoOperador;
class LigacaoDados;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QTimer;
class NotaConfirmacao;
class PainelBotoes;
class okaBotao;

// The frame both terminal screens share: the bottom strip (information lines, Confirmar /
// Cancelar / Sair, clock with the configuration menu), the selection state, Confirmar with
// its dispatch to the engine and the daily log. Each screen adds its panels (CarregaEcra) and
// its own part of the dispatch. Every dialog goes through the operator interface.
// Engine functions are confirmed through EnvioFuncoes: done on the server, or kept in the local
// journal while the server is out of reach and sent later, in order, a few at a time between
// the screen's events once the server answers again.
class EcraTerminal : public QWidget
{
    Q_OBJECT
public:
    explicit EcraTerminal(QWidget* parent = nullptr);
    ~EcraTerminal() override;

    // The database connection; the screen does not close it.
    void setLigacao(LigacaoDados* ligacao);
    // The process's connection handed over by start-up; closed when the screen is destroyed.
    void setLigacao(std::unique_ptr<LigacaoDados> ligacao);
    void setOperador(InteraccaoOperador* operador);
    InteraccaoOperador* operador();
    // Configuration file name as given on the command line (for the settings menu entry).
    void setFicheiroConfiguracao(const QString& ficheiro) { m_ficheiroConfiguracao = ficheiro; }
    const QString& ficheiroConfiguracao() const { return m_ficheiroConfiguracao; }
    // The settings of section "Ecrã" (exit confirmation, supervisor level), read by start-up.
    void setDefinicoesEcra(const DefinicoesEcra& definicoes) { m_definicoesEcra = definicoes; }
    const DefinicoesEcra& definicoesEcra() const { return m_definicoesEcra; }

    // The barcode scanner's interval and prefixes ("Leitor" in the configuration file); the
    // defaults until start-up gives them.
    void setDefinicoesLeitor(const DefinicoesLeitor& definicoes);
    const ClassificadorCodigos& prefixos() const { return m_prefixos; }
    // The screen's scan detector, installed on the application by Mostra.
    LeitorCodigos* leitorCodigos() const { return m_leitor; }

    // Creates the engine on the connection and shows the screen full-screen; the first resize
    // of the maximised window lays out and loads the panels. Scans are read from then on.
    virtual void Mostra();

    // The journal's file (before Mostra); default: jornal.db in the program folder.
    void setFicheiroJornal(const QString& ficheiro) { m_ficheiroJornal = ficheiro; }
    JornalLocal* Jornal() const { return m_jornal.get(); }
    // Waits for the server while entries wait or it is known out of reach (nullptr before the
    // first time it was needed).
    MonitorLigacao* Monitor() const { return m_monitor.get(); }
    // This terminal's name in the journal and in the server's token rows.
    static QString NomeTerminal();
    // Entries waiting to be sent and entries the server refused, as the strip shows them.
    int PorEnviar = 0;
    int Recusados = 0;
    // Sends the next few waiting entries; goes on at the next turn of the event loop while more
    // wait and the server answers. Not while the screen is busy or a dialog is open (later then).
    void ReenviarPasso();
    static constexpr int EntradasPorPasso = 3;
    // The refused entries with the server's message, once a supervisor gave his password.
    void MostrarRecusados();
    void DataHora();
    // The clock's tick (every second): the time and date, and panels waiting to be loaded.
    void Timer1_Timer();
    void MostraInfo();
    // Clears the selection and rewrites the information lines.
    void Limpar();
    void CarregaPainelBase();
    void CarregaPainelHora();
    void CarregaPainelInfo();

    // Client area in twips, and the height of the panel area above the bottom strip.
    double Largura() const;
    double Altura() const;
    double AlturaPaineis() const;

    // Handlers of the frame's buttons and menu entries.
    void Confirmar();
    virtual void Cancelar();
    virtual void Sair();
    // The database settings, once a supervisor gave his password.
    void AbrirDefinicoesBD();
    virtual void SairMenu();
    // True when the terminal may close: at once, or with "Confirmar Sair" once the operator
    // answered yes to "Sair do terminal?".
    bool PodeSair();
    // A touch on the function panel: selects a function (reasons dialog for a suspension).
    void EscolheuFuncao(const QString& Nome, const QString& Codigo);
    // A touch on the operations panel.
    void EscolheuOperacao(const QString& Nome, const QString& Codigo);
    // A code read by the scanner: does what the touch on that object does, through the same
    // handler and checks. A code of no known kind, one that names nothing, or one read where it
    // means nothing (or while a dialog is open) is refused with a message and a daily-log line,
    // and nothing changes.
    void LeituraCodigo(const QString& lido);

    // Selection state.
    QString Utilizador;
    QString NomeUtilizador;
    QString Obra;
    QString Funcao;
    QString DescricaoFuncao;
    QString Operacao;
    QString DescricaoOperacao;
    QString Maquina;
    QString DescricaoMaquina;
    QString MotivoSuspensao;
    QString ObraConsumo;
    bool EcraCarregado = false;

    // Shows what an accepted confirmation recorded over the panel area, until the next touch or
    // a few seconds; it takes no touch itself.
    void MostrarConfirmacao(const QString& texto);
    // The note of the last confirmation (nullptr before the first).
    NotaConfirmacao* notaConfirmacao() const { return m_nota; }

    // Panels whose list could not be read, by object name, in the order they failed.
    QStringList PaineisPorCarregar() const;
    // Milliseconds between the clock's tries to load them.
    int IntervaloRecarga = 30000;

    LigacaoDados* Ligacao = nullptr;
    std::unique_ptr<Cl_EQP> EQP;

    QGroupBox* PainelInfo;
    QLabel* lbNome;
    QLabel* lbObra;
    QLabel* lbFuncao;
    QLabel* lbOperacao;
    QLabel* lbMaquina;
    QGroupBox* FrameBase;
    okaBotao* btConfirmar;
    okaBotao* btCancelar;
    okaBotao* btSair;
    QGroupBox* FrameDataHora;
    QLabel* lbHora;
    QLabel* lbData;
    okaBotao* btConfigurar;
    QTimer* Timer1;
    QMenu* Menu;
    QAction* Menu_SQL;
    QAction* Menu_Recusados;
    QAction* Menu_exit;

    static constexpr int AlturaDialogo = 3345;
    static constexpr int AlturaDialogoLista = 6690;

protected:
    // Asks for a supervisor's password before the settings `titulo` open; refusals and the
    // opening are written to the daily log. True when they may open.
    bool AutorizarDefinicoes(const QString& titulo);

    enum class Despacho {
        Nenhum,       // nothing to run (empty code, or the screen handled it without the engine)
        Motor,        // an engine operation ran: its result and message are filled
        Desconhecida, // no such function on this screen
        Ecra          // the function goes on in a panel of its own, which logs it when confirmed
    };

    // Lays out and loads the screen's panels and the bottom strip; runs once.
    virtual void CarregaEcra() = 0;
    // Runs the function `codigo`; the default knows the engine operations shared by both screens.
    virtual Despacho Despachar(const QString& codigo, bool& resultado, QString& mensagem);
    Despacho DespacharComum(const QString& codigo, bool& resultado, QString& mensagem);
    // Called by Confirmar before the dispatch.
    virtual void AntesDeDespachar() {}
    // "Tipo de Terminal" of this screen, for the journal (0 frmTerminal, 1 frmTerminal2).
    virtual int TipoTerminal() const = 0;
    // Confirms the engine function `codigo` with the selection through EnvioFuncoes.
    Despacho Enviar(const QString& codigo, bool& resultado, QString& mensagem);
    // What the screen does after an engine operation answered.
    virtual void AposMotor(const QString& codigo, bool resultado, const QString& mensagem) = 0;
    // Marks the panel buttons of what is selected (employee, order, function, operation,
    // machine); run with every rewrite of the information lines, so Limpar unmarks them.
    virtual void MostraSeleccao() {}
    // A function touch the screen handles itself; true when it set DescricaoFuncao (and may
    // have emptied `codigo`).
    virtual bool EscolhaFuncaoEcra(const QString& Nome, QString& codigo);

    // "Obra" on the orders panel: the order number from the keypad dialog, checked by
    // SeleccionarObra; an empty or unknown number leaves no order and no function caption.
    void IntroduzirObra();
    // Selects order `numero` once it exists ("A Folha de Obra indicada não existe !" otherwise,
    // and the selection is left as it was); an order not in production is reported and kept.
    // False when it does not exist.
    bool SeleccionarObra(const QString& numero);

    // What a scan of `c` (a known kind) does on this screen; refusals through RecusarLeitura.
    virtual void CodigoLidoEcra(const CodigoLido& c) = 0;
    // An order's label: SeleccionarObra, then the information lines.
    void ObraLida(const CodigoLido& c);
    // Looks up the employee, operation or machine of a scan: true with its code as the table
    // holds it and its name; false after refusing the scan.
    bool LerFuncionario(const CodigoLido& c, QString& codigo, QString& nome);
    bool LerOperacao(const CodigoLido& c, QString& codigo, QString& nome);
    bool LerMaquina(const CodigoLido& c, QString& codigo, QString& nome);
    // Refuses a scan: `motivo` (which names the text read) is shown, unless `mostrado` (the check
    // that refused showed its own message), and written to the daily log under the selection.
    void RecusarLeitura(const QString& motivo, bool mostrado = false);

    // Existe_FolhaObra; without the server the number is taken as typed, the check is recorded
    // as skipped for the function confirmed on it, and the answer is an order in production.
    bool ObraExiste(const QString& numero, qint32& estado, qint32& subEstado);
    // True while the server is known to be out of reach (the monitor waits for it).
    bool SemLigacao() const;
    // Starts waiting for the server in the background.
    void EsperarServidor();
    // Fills a function panel with the functions both screens offer followed by the screen's own
    // (captions and codes).
    static void CarregarFuncoes(PainelBotoes* painel, const QStringList& textos, const QStringList& codigos);
    // Fills an operations panel from the catalogue.
    void CarregarOperacoes(PainelBotoes* painel);

    // Runs a handler; a database or other error is shown as an error, written to the daily log
    // and the terminal carries on.
    void Proteger(const QString& rotina, const std::function<void()>& corpo);
    // Loads one panel on its own (`nome` names it in PaineisPorCarregar, `rotina` in the error
    // text): when its list cannot be read the error is written to the daily log, shown unless
    // another panel is already waiting (the operator knows then), and the panel waits to be
    // loaded again, with `recarregar` when given, at the next Cancelar or by the clock once the
    // database answers. True when it loaded.
    bool CarregarPainel(const QString& nome, const QString& rotina, const std::function<void()>& carregar,
                        const std::function<void()>& recarregar = {});
    // Tries the panels that wait; a failure is shown only when `mostrarErro`.
    void RecarregarPaineis(bool mostrarErro);
    // A panel that no longer needs loading (its state was left).
    void EsquecerPainel(const QString& nome);
    // Writes one daily-log line; when the log cannot be written the operator is told once a day.
    void Registar(const QString& quando, const QString& nome, const QString& obra, const QString& funcao,
                  const QString& maquina, const QString& mensagem);
    static QString Agora();

    void resizeEvent(QResizeEvent* evento) override;

private:
    QString textoErro(const QString& rotina, const std::exception& e) const;
    // Opens the journal, the executors, the replay; drops sent entries older than 30 days and
    // waits for the server when entries wait.
    void IniciarJornal();
    // The strip's counters from the journal (a journal that cannot be read is said there).
    void ActualizarJornal();
    void RegistarReenvio(const EventoReenvio& evento);
    void AgendarReenvio(int ms);
    // The reasons of the last list read: a suspension chosen without the server offers them.
    Registos m_motivos;
    bool m_temMotivos = false;
    std::unique_ptr<LigacaoDados> m_ligacaoPropria;
    InteraccaoOperador* m_operador = nullptr;
    std::unique_ptr<InteraccaoOperador> m_operadorProprio;
    QString m_ficheiroConfiguracao = QStringLiteral("Terminal_Obras.oka");
    DefinicoesEcra m_definicoesEcra;
    QDate m_diaAvisoLog;
    struct PainelPendente
    {
        QString nome;
        QString rotina;
        std::function<void()> carregar;
    };
    QList<PainelPendente> m_porCarregar;
    QElapsedTimer m_desdeTentativa;
    NotaConfirmacao* m_nota = nullptr;
    LeitorCodigos* m_leitor = nullptr;
    ClassificadorCodigos m_prefixos;
    // The scan being handled was typed into a password field: its text is never shown or logged.
    bool m_leituraEmSenha = false;

    QString m_ficheiroJornal;
    std::unique_ptr<JornalLocal> m_jornal;
    std::unique_ptr<ExecutorEQP> m_executor;
    std::unique_ptr<EnvioFuncoes> m_envio;
    // The replay runs on an engine of its own (same connection): never in the middle of the
    // screen's own call.
    std::unique_ptr<Cl_EQP> m_eqpReenvio;
    std::unique_ptr<ExecutorEQP> m_executorReenvio;
    std::unique_ptr<Reenvio> m_reenvio;
    std::unique_ptr<MonitorLigacao> m_monitor;
    DesfechoConfirmacao m_desfecho;
    // The order taken without asking the server whether it exists.
    QString m_obraNaoVerificada;
    // Handlers and replay steps running now (a step waits for them to end).
    int m_aTrabalhar = 0;
    bool m_reenvioAgendado = false;
    QString m_falhaJornalMostrada;
};
