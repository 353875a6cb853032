#pragma once

#include <array>
#include <functional>

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QWidget>

#include "controls/TentativasLogin.h"

class InteraccaoOperador;
class LigacaoDados;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Login control: the employee list ("code-name"), the masked password and a 42-key on-screen
// keyboard. Enter checks the password against the employee catalogue and raises
// `EscolheuUtilizador`; "Sair" raises `Sair`. Five wrong passwords in a row for one employee
// (however his code was spelled) lock that employee out for 30 seconds; the count and the lock
// are kept in the program folder, so a restart does not reset them.
class ucLogin : public QWidget
{
    Q_OBJECT

public:
    static constexpr int NumTeclas = 42;
    static constexpr int TeclaApagar = 11;
    static constexpr int TeclaEnter = 39;
    static constexpr int TeclaEspaco = 40;
    static constexpr int TeclaSair = 41;
    static constexpr int TentativasAteBloqueio = 5;
    static constexpr int SegundosBloqueio = 30;

    explicit ucLogin(QWidget* parent = nullptr);

    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor& cor);
    QColor ForeColor() const { return m_foreColor; }
    void setForeColor(const QColor& cor);

    // Puts "code-name" into the employee field and moves the focus to the password.
    bool IntroduzirNome(const QString& Nome);
    void Refresh();
    // Reloads the employee list and clears the password; the arguments are left untouched and
    // the result is always false.
    bool ObterUtilizador(QString& outCodigo, QString& outPassword, qint16& outNivel);
    // Clears the password only.
    void Reset();
    // Reads the employee list again, keeping what the employee field and the password hold.
    void CarregarLista();

    void setLigacao(LigacaoDados* ligacao) { m_ligacao = ligacao; }
    // Where the control's messages go (touch message dialog, or a scripted operator in tests).
    void setOperador(InteraccaoOperador* operador) { m_operador = operador; }
    // Clock for the lockout (tests move it forward).
    void setRelogio(std::function<QDateTime()> relogio) { m_relogio = std::move(relogio); }

    // Runs the key handling; the screen passes its own error handling (a database error while
    // checking is shown and logged there). Without one, errors are shown as a system message.
    using Protector = std::function<void(const QString& rotina, const std::function<void()>& corpo)>;
    void setProtector(Protector p) { m_protector = std::move(p); }

    // A key as the operator touches it (index 0 to 41).
    void TocarTecla(int indice);

    QComboBox* Combo1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QPushButton*, NumTeclas> btAlfa{};

signals:
    void EscolheuUtilizador(const QString& Codigo, const QString& Nome, qint16 Nivel);
    void Sair();
    // A login refused at enter (unknown employee, wrong password, locked), raised before the
    // message is shown: `Funcionario` is "code-name" as the table holds them (or the text
    // typed when no employee was found), `Mensagem` the message.
    void Recusado(const QString& Funcionario, const QString& Mensagem);

private:
    void CriarTeclado();
    void Tecla(int indice);
    bool Verificar(QString& codigo, QString& nome, qint16& nivel);
    void Mensagem(const QString& texto);
    void AplicarCores();

    LigacaoDados* m_ligacao = nullptr;
    InteraccaoOperador* m_operador = nullptr;
    std::function<QDateTime()> m_relogio;
    Protector m_protector;
    TentativasLogin m_tentativas;
    QColor m_backColor;
    QColor m_foreColor;
};
