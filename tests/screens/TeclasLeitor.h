#pragma once

// Keys typed at a screen whose scan detector runs on the test's clock: every key press reads the
// clock, which moves on by `passo` ms each time: a person's pace, unless a burst is typed at a
// scanner's.
#include <QApplication>
#include <QString>
#include <QTest>
#include <QWidget>

#include "controls/LeitorCodigos.h"

struct TeclasLeitor
{
    static constexpr int Leitor = 5;   // ms between a scanner's keys
    static constexpr int Pessoa = 150; // ms between a quick typist's keys

    qint64 agora = 0;
    int passo = 1000;

    void ligar(LeitorCodigos* leitor)
    {
        leitor->setRelogio([this] { return agora += passo; });
    }
    // `texto`, then `fim` (none: Qt::Key_unknown), one key every `ms`, where the focus is (on
    // `janela` when nothing in it has the focus); then what the keys set off is handled.
    void teclar(QWidget* janela, const QString& texto, int ms, Qt::Key fim = Qt::Key_Return)
    {
        const int antes = passo;
        passo = ms;
        const auto alvo = [janela] {
            QWidget* f = QApplication::focusWidget();
            return f && f->window() == janela->window() ? f : janela;
        };
        for (const QChar c : texto)
            QTest::keyClick(alvo(), c.toLatin1());
        if (fim != Qt::Key_unknown) QTest::keyClick(alvo(), fim);
        passo = antes;
        QCoreApplication::processEvents();
    }
    // A scan of `codigo`: a scanner's burst ended by Enter (or Tab).
    void ler(QWidget* janela, const QString& codigo, Qt::Key fim = Qt::Key_Return)
    {
        teclar(janela, codigo, Leitor, fim);
    }
};
