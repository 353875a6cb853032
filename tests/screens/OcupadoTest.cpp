// A screen at work: an operation made slow on purpose (every statement waits, as over a slow
// network) shows the busy veil and the hourglass, and the touches made meanwhile never fire.
#include "controls/Ocupado.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include "base/Actividade.h"
#include "screens/FixturaTerminal.h"
#include "screens/RegistoDiario.h"
#include "screens/ToqueReal.h"

namespace {

// While it lives, every statement of the user-interface thread takes `ms` longer; `aCada` runs
// at each of them.
class Lentidao
{
public:
    Lentidao(int ms, std::function<void()> aCada = {})
    {
        m_numero = Actividade::Juntar([ms, aCada] {
            if (QThread::currentThread() != qApp->thread()) return;
            QThread::msleep(ulong(ms));
            if (aCada) aCada();
        });
    }
    ~Lentidao() { Actividade::Retirar(m_numero); }

private:
    int m_numero = 0;
};

// A touch queued while the thread is busy: the window gets it (press and release, as the window
// system hands them over) only when the event loop runs again.
void TocarMaisTarde(QWidget* alvo)
{
    QTimer::singleShot(0, alvo, [alvo] {
        QWidget* janela = alvo->window();
        const QPointF p = alvo->mapTo(janela, alvo->rect().center());
        const QPointF g = janela->mapToGlobal(p);
        QMouseEvent prima(QEvent::MouseButtonPress, p, p, g, Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(janela->windowHandle(), &prima);
        QMouseEvent larga(QEvent::MouseButtonRelease, p, p, g, Qt::LeftButton, Qt::NoButton, {});
        QCoreApplication::sendEvent(janela->windowHandle(), &larga);
    });
}

// On SQLite only: the slowness is made here, not by the server.
class EcraOcupado : public FixturaTerminal
{
protected:
    // Employee, order 1001, operation and machine, and "Iniciar Operação", all by touch.
    void selecionar(const QString& funcionario, const QString& operacao)
    {
        TocarBotao(ecra->PainelUtilizadores, funcionario);
        TocarBotao(ecra->PainelObras, QStringLiteral("Obra"));
        TocarBotao(ecra->PainelOperacoes, operacao);
        TocarBotao(ecra->PainelMaquinas, QStringLiteral("Serra"));
        TocarBotao(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    }
    qint64 linhas() { return contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope")); }
};

TEST_P(EcraOcupado, ASlowConfirmarShowsTheVeilAndTheTouchesMadeMeanwhileNeverFire)
{
    // A quick touch shows nothing and leaves the pointer alone.
    const int antes = Ocupado::vezesMostrado();
    Tocar(ecra->btConfirmar);
    EXPECT_EQ(Ocupado::vezesMostrado(), antes);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    op.numerosDigitados << QStringLiteral("1001");
    selecionar(QStringLiteral("Ana Silva"), QStringLiteral("Corte"));
    const qsizetype registadas = LinhasRegisto(base().pasta()).size();

    // Every statement 120 ms: the start (a handful of statements) takes well over half a second. Meanwhile the operator
    // touches Confirmar again and another employee; the veil and the hourglass are up after 300 ms.
    bool tocou = false, veu = false, ampulheta = false;
    QElapsedTimer relogio;
    relogio.start();
    {
        Lentidao lenta(120, [&] {
            if (!tocou) {
                TocarMaisTarde(ecra->btConfirmar);
                TocarMaisTarde(ecra->PainelUtilizadores->botaoDoItem(2));
                tocou = true;
            }
            if (relogio.elapsed() > Ocupado::Limiar + 100) {
                veu = veu || (Ocupado::indicador() && Ocupado::indicador()->isVisible());
                ampulheta = ampulheta || (QGuiApplication::overrideCursor() &&
                                          QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor);
            }
        });
        Tocar(ecra->btConfirmar);
    }
    EXPECT_GT(relogio.elapsed(), 500);
    EXPECT_TRUE(tocou);
    EXPECT_TRUE(veu);
    EXPECT_TRUE(ampulheta);
    EXPECT_EQ(Ocupado::vezesMostrado(), antes + 1);
    QCoreApplication::processEvents();

    // One start, one log line; the queued touches did nothing (the selection stays cleared).
    EXPECT_EQ(linhas(), 1);
    EXPECT_EQ(LinhasRegisto(base().pasta()).size(), registadas + 1);
    EXPECT_EQ(ecra->lbNome->text(), QString());
    EXPECT_TRUE(op.textos(QStringLiteral("Aviso")).isEmpty());
    // Over: the veil gone, the pointer as before, touches reach the screen again.
    EXPECT_FALSE(Ocupado::activo());
    EXPECT_FALSE(Ocupado::indicador()->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Tocar(ecra->PainelUtilizadores->botaoDoItem(2));
    EXPECT_EQ(ecra->lbNome->text(), QStringLiteral("Utilizador:Bruno Costa"));
}

// A question and a refusal in the middle of a slow operation are the operator's turn: the
// usual pointer, no veil, and their buttons answer the touch.
TEST_P(EcraOcupado, DialogsOpenedDuringTheWorkAreAnsweredAsUsual)
{
    dialogosReais = true;
    mostrar();
    TeclarNumero(QStringLiteral("1001"));
    selecionar(QStringLiteral("Ana Silva"), QStringLiteral("Corte"));
    Tocar(ecra->btConfirmar);
    ASSERT_EQ(linhas(), 1);

    // A second operation for her: the engine asks first (she has one running); declined, it
    // refuses. Both dialogs come up while the work is slow.
    TeclarNumero(QStringLiteral("1001"));
    TocarBotao(ecra->PainelUtilizadores, QStringLiteral("Ana Silva"));
    TocarBotao(ecra->PainelObras, QStringLiteral("Obra"));
    TocarBotao(ecra->PainelOperacoes, QStringLiteral("Soldadura"));
    TocarBotao(ecra->PainelFuncoes, QStringLiteral("Iniciar Operação"));
    int dialogos = 0;
    const auto responder = [&dialogos](frmAviso* f) {
        ++dialogos;
        EXPECT_FALSE(QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor);
        EXPECT_FALSE(Ocupado::indicador() && Ocupado::indicador()->isVisible());
        Tocar(f->ModoAviso == 0 ? f->btSair() : f->btCancelar());
    };
    {
        Lentidao lenta(150);
        QuandoModal<frmAviso>([&](frmAviso* f) {
            responder(f);
            QuandoModal<frmAviso>(responder);
        });
        Tocar(ecra->btConfirmar);
    }
    EXPECT_GE(dialogos, 1);
    EXPECT_EQ(linhas(), 1);
    EXPECT_FALSE(Ocupado::activo());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Backends, EcraOcupado, ::testing::Values(Backend::SQLite), NomeParametroBackend);

} // namespace
