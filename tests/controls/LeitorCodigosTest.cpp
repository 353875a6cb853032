#include "controls/LeitorCodigos.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A text field that also writes down every key press ("+A") and release ("-A") it receives.
class CampoRegisto : public QLineEdit
{
public:
    QStringList teclas;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        teclas << u'+' + nome(e);
        QLineEdit::keyPressEvent(e);
    }
    void keyReleaseEvent(QKeyEvent* e) override
    {
        teclas << u'-' + nome(e);
        QLineEdit::keyReleaseEvent(e);
    }

private:
    static QString nome(const QKeyEvent* e)
    {
        if (e->key() == Qt::Key_Return) return QStringLiteral("Enter");
        if (e->key() == Qt::Key_Backspace) return QStringLiteral("Apagar");
        return e->text();
    }
};

} // namespace

// Key bursts at a scanner's pace and at a person's, on a window with two text fields; the
// detector's clock is the test's, moved on before each key.
class LeitorCodigosTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto* l = new QVBoxLayout(&janela);
        l->addWidget(&campo);
        l->addWidget(&outro);
        l->addWidget(&botao);
        janela.show();
        QApplication::setActiveWindow(&janela);
        campo.setFocus();
        ASSERT_TRUE(campo.hasFocus());
        leitor.setRelogio([this] { return agora; });
        leitor.instalar();
    }

    // Types `texto` into the focused field, one key every `ms` milliseconds.
    void teclar(const QString& texto, int ms, QWidget* onde = nullptr)
    {
        for (QChar c : texto) {
            agora += ms;
            QTest::keyClick(onde ? onde : QApplication::focusWidget(), c.toLatin1());
        }
    }
    void tecla(Qt::Key k, int ms, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        agora += ms;
        QTest::keyClick(QApplication::focusWidget(), k, m);
    }
    // What the detector read, once the queued signal has been delivered.
    QStringList lidos()
    {
        QCoreApplication::processEvents();
        QStringList r;
        for (const QList<QVariant>& s : spy)
            r << s.at(0).toString();
        return r;
    }

    static constexpr int Leitor = 4;   // ms between a scanner's keys
    static constexpr int Pessoa = 140; // ms between a quick typist's keys

    QWidget janela;
    CampoRegisto campo;
    QLineEdit outro;
    QPushButton botao{QStringLiteral("Confirmar")};
    LeitorCodigos leitor;
    QSignalSpy spy{&leitor, &LeitorCodigos::codigoLido};
    qint64 agora = 1000;
};

TEST_F(LeitorCodigosTest, ScannerBurstEndedByEnterOrTabIsReadAndSwallowed)
{
    QSignalSpy enter(&campo, &QLineEdit::returnPressed);
    teclar(QStringLiteral("FU101"), Leitor);
    tecla(Qt::Key_Return, Leitor);
    EXPECT_EQ(lidos(), QStringList{QStringLiteral("FU101")});
    // Nothing reached the field: no character, no Enter, no release.
    EXPECT_EQ(campo.text(), QString());
    EXPECT_TRUE(campo.teclas.isEmpty()) << campo.teclas.join(u' ').toStdString();
    EXPECT_EQ(enter.count(), 0);

    // Ended by Tab: read, and the focus stays where it was.
    teclar(QStringLiteral("OB26001"), Leitor);
    tecla(Qt::Key_Tab, Leitor);
    EXPECT_EQ(lidos(), (QStringList{QStringLiteral("FU101"), QStringLiteral("OB26001")}));
    EXPECT_TRUE(campo.hasFocus());
    EXPECT_TRUE(campo.teclas.isEmpty());

    // Capitals typed with Shift, as a scanner does, and a scan into another widget (a button).
    agora += 1000;
    botao.setFocus();
    for (QChar c : QStringLiteral("MQm01")) {
        agora += Leitor;
        QTest::keyClick(&botao, c.toLatin1(), c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
    }
    tecla(Qt::Key_Enter, Leitor, Qt::KeypadModifier);
    EXPECT_EQ(lidos().value(2), QStringLiteral("MQm01"));
    EXPECT_EQ(campo.text(), QString());

    // Ended by a line feed (a scanner's LF suffix, or a line end typed by a tool, arrives from the
    // window system as a key of its own with the text "\n"), or a carriage return of that kind.
    campo.setFocus();
    for (const QChar fim : {QChar(u'\n'), QChar(u'\r')}) {
        agora += 1000;
        teclar(QStringLiteral("OP12"), Leitor);
        agora += Leitor;
        for (const QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent e(t, int(fim.unicode()), Qt::NoModifier, QString(fim));
            QApplication::sendEvent(&campo, &e);
        }
        EXPECT_EQ(lidos().last(), QStringLiteral("OP12"));
    }
    EXPECT_EQ(lidos().size(), 5);
    EXPECT_TRUE(campo.teclas.isEmpty()) << campo.teclas.join(u' ').toStdString();
}

TEST_F(LeitorCodigosTest, PersonsTypingArrivesUnchangedAndInOrder)
{
    QSignalSpy enter(&campo, &QLineEdit::returnPressed);
    teclar(QStringLiteral("26001"), Pessoa);
    tecla(Qt::Key_Return, Pessoa);
    EXPECT_TRUE(lidos().isEmpty());
    EXPECT_EQ(campo.text(), QStringLiteral("26001"));
    EXPECT_EQ(enter.count(), 1);
    EXPECT_EQ(campo.teclas.join(u' '), QStringLiteral("+2 -2 +6 -6 +0 -0 +0 -0 +1 -1 +Enter -Enter"));

    // The last key of a pause is delivered by the timer, within twice the interval.
    campo.clear();
    teclar(QStringLiteral("7"), Pessoa);
    QTRY_COMPARE_WITH_TIMEOUT(campo.text(), QStringLiteral("7"), 2000);

    // Tab typed by a person moves the focus as always.
    tecla(Qt::Key_Tab, Pessoa);
    EXPECT_TRUE(outro.hasFocus());
    teclar(QStringLiteral("ab"), Pessoa);
    tecla(Qt::Key_Tab, Pessoa);
    EXPECT_EQ(outro.text(), QStringLiteral("ab"));
    EXPECT_TRUE(lidos().isEmpty());
}

TEST_F(LeitorCodigosTest, FastKeysThatAreNotAScanAreDeliveredInOrder)
{
    // A burst ended by a slow Enter is typing: the characters, then the Enter.
    QSignalSpy enter(&campo, &QLineEdit::returnPressed);
    teclar(QStringLiteral("OP12"), Leitor);
    tecla(Qt::Key_Return, Pessoa);
    EXPECT_EQ(campo.text(), QStringLiteral("OP12"));
    EXPECT_EQ(enter.count(), 1);

    // A key that cannot be part of a code (Backspace) delivers the held ones before itself.
    campo.clear();
    teclar(QStringLiteral("xyz"), Leitor);
    tecla(Qt::Key_Backspace, Leitor);
    EXPECT_EQ(campo.text(), QStringLiteral("xy"));

    // One character and a fast Enter is too short for a code.
    campo.clear();
    teclar(QStringLiteral("5"), Pessoa);
    tecla(Qt::Key_Return, Leitor);
    EXPECT_EQ(campo.text(), QStringLiteral("5"));
    EXPECT_EQ(enter.count(), 2);

    // A key held down repeats fast, but is never a scan.
    campo.clear();
    agora += Pessoa;
    for (int i = 0; i < 4; ++i) {
        agora += Leitor;
        QKeyEvent rep(QEvent::KeyPress, Qt::Key_9, Qt::NoModifier, QStringLiteral("9"), i > 0);
        QApplication::sendEvent(&campo, &rep);
    }
    tecla(Qt::Key_Return, Leitor);
    EXPECT_EQ(campo.text(), QStringLiteral("9999"));

    // A burst with no end is delivered after the pause, as pasted text would be.
    campo.clear();
    teclar(QStringLiteral("ABC"), Leitor);
    QTRY_COMPARE_WITH_TIMEOUT(campo.text(), QStringLiteral("ABC"), 2000);
    EXPECT_TRUE(lidos().isEmpty());

    // A touch right after a key finds the key already in its field.
    campo.clear();
    teclar(QStringLiteral("4"), Pessoa);
    QString vistoNoToque;
    QObject::connect(&botao, &QPushButton::pressed, [&] { vistoNoToque = campo.text(); });
    QTest::mouseClick(&botao, Qt::LeftButton);
    EXPECT_EQ(vistoNoToque, QStringLiteral("4"));
}

TEST_F(LeitorCodigosTest, PersonThenScanThenPerson)
{
    teclar(QStringLiteral("12"), Pessoa);
    agora += 300;
    teclar(QStringLiteral("OB26001"), Leitor);
    tecla(Qt::Key_Return, Leitor);
    teclar(QStringLiteral("3"), Pessoa);
    tecla(Qt::Key_Return, Pessoa);
    EXPECT_EQ(lidos(), QStringList{QStringLiteral("OB26001")});
    EXPECT_EQ(campo.text(), QStringLiteral("123"));
    EXPECT_EQ(campo.teclas.join(u' '), QStringLiteral("+1 -1 +2 -2 +3 -3 +Enter -Enter"));
}

TEST_F(LeitorCodigosTest, TheIntervalDecidesAndCanBeChanged)
{
    // 40 ms between keys: typing at the default 30 ms, a scan at 50 ms.
    teclar(QStringLiteral("FU7"), 40);
    tecla(Qt::Key_Return, 40);
    EXPECT_EQ(campo.text(), QStringLiteral("FU7"));
    EXPECT_TRUE(lidos().isEmpty());

    campo.clear();
    leitor.setIntervaloMaximo(50);
    agora += 1000;
    teclar(QStringLiteral("FU7"), 40);
    tecla(Qt::Key_Return, 40);
    EXPECT_EQ(lidos(), QStringList{QStringLiteral("FU7")});
    EXPECT_EQ(campo.text(), QString());

    // Switched off, even a scanner's burst is typing.
    leitor.setActivo(false);
    teclar(QStringLiteral("FU8"), Leitor);
    tecla(Qt::Key_Return, Leitor);
    EXPECT_EQ(campo.text(), QStringLiteral("FU8"));
    EXPECT_EQ(lidos().size(), 1);
}

TEST_F(LeitorCodigosTest, KeysFromTheWindowSystemReachTheFocusedField)
{
    // Through the window, as real keys come: the window sees each key before the field.
    QWindow* w = janela.windowHandle();
    ASSERT_NE(w, nullptr);
    for (QChar c : QStringLiteral("OP3")) {
        agora += Leitor;
        QTest::keyClick(w, c.toLatin1());
    }
    agora += Leitor;
    QTest::keyClick(w, Qt::Key_Return);
    EXPECT_EQ(lidos(), QStringList{QStringLiteral("OP3")});
    EXPECT_EQ(campo.text(), QString());

    for (QChar c : QStringLiteral("OP3")) {
        agora += Pessoa;
        QTest::keyClick(w, c.toLatin1());
    }
    agora += Pessoa;
    QTest::keyClick(w, Qt::Key_Return);
    EXPECT_EQ(campo.text(), QStringLiteral("OP3"));
    EXPECT_EQ(campo.teclas.join(u' '), QStringLiteral("+O -O +P -P +3 -3 +Enter -Enter"));
}
