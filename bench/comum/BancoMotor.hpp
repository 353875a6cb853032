#pragma once
// The engine and the ERP stand-in on one connection to a generated factory, with what a timed call
// picks its targets from (free employees, orders in production, machines, operations, articles
// in stock: the same sequence every run) and the clock it runs at. Header only: shared by
// bench_motor and bench_latencia.

#include <random>
#include <stdexcept>

#include <QDateTime>
#include <QStringList>

#include "OperadorScript.hpp"
#include "dataaccess/GeradorDados.h"
#include "engine/Cl_EQP.h"
#include "erp/LigacaoKovaBD.h"
#include "erp/cl_GravaKova.h"

namespace bench {

// What one timed call works on.
struct Alvo
{
    QString func, obra, oper, maq;
    QStringList obras, opers;
    QDateTime t;
    QStringList artigos;
};

class BancoMotor
{
public:
    BancoMotor(LigacaoDados& l, const QDate& dia, const QString& pastaKova) : m_l(l), m_dia(dia)
    {
        m_eqp.setBd_lig(&l);
        m_eqp.setOperador(&m_op);
        m_kova.setBaseDados(&l);
        m_kova.Ligar(pastaKova, QString(), QStringLiteral("BENCH"), QStringLiteral("bench"), QStringLiteral("bench"));
        for (const auto& r : l.consultar(QStringLiteral("SELECT Fo FROM oka_CabOrc WHERE EstadoFo = 1 ORDER BY Fo")))
            m_obras << r.texto(0);
        for (const auto& r : l.consultar(QStringLiteral(
                 "SELECT FuncId FROM oka_Funcionarios WHERE FuncId NOT IN"
                 " (SELECT Func FROM oka_LinFo_Ope WHERE Estado IN (1, 8) AND Func IS NOT NULL) ORDER BY FuncId")))
            m_funcs << r.texto(0);
        for (const auto& r : l.consultar(QStringLiteral("SELECT MaqId FROM oka_Maquinas ORDER BY MaqId")))
            m_maqs << r.texto(0);
        m_nOper = int(l.consultar(QStringLiteral("SELECT COUNT(*) FROM oka_Operacoes")).primeira().inteiro(0));
        for (const auto& r : l.consultar(
                 QStringLiteral("SELECT ARTIGO FROM ARTARM WHERE ARMAZEM = ? AND EXISTENC > 500 ORDER BY ARTIGO"),
                 {GeradorDados::Armazem()}))
            m_artigos << r.texto(0);
        m_todasObras = int(l.consultar(QStringLiteral("SELECT COUNT(*) FROM oka_CabOrc")).primeira().inteiro(0));
        if (m_obras.isEmpty() || m_funcs.isEmpty() || m_maqs.isEmpty() || m_artigos.size() < 10)
            throw std::runtime_error("the generated factory has too few free employees, orders or articles");
    }

    OperadorScript& operador() { return m_op; }
    // Starts the preparations asked for and the engine refused.
    int falhasPreparacao() const { return m_falhasPreparacao; }

protected:
    // Every call a little later than the one before, from 06:00 to 23:00, then the next day.
    QDateTime agora()
    {
        m_segundo += 37;
        if (m_segundo > 23 * 3600) {
            m_dia = m_dia.addDays(1);
            m_segundo = 6 * 3600;
        }
        return QDateTime(m_dia, QTime(0, 0).addSecs(m_segundo));
    }
    int aleatorio(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    QString func() { return m_funcs[m_proximoFunc++ % m_funcs.size()]; }
    QString obra() { return m_obras[aleatorio(int(m_obras.size()))]; }
    QString qualquerObra() { return GeradorDados::NumeroOrdem(aleatorio(m_todasObras)); }
    QString maq() { return m_maqs[aleatorio(int(m_maqs.size()))]; }
    QString oper() { return QString::number(1 + aleatorio(m_nOper)); }
    QString artigo() { return m_artigos[aleatorio(int(m_artigos.size()))]; }
    void novoAlvo(Alvo& a)
    {
        a.func = func();
        a.obra = obra();
        a.oper = oper();
        a.maq = maq();
    }
    // An order in production and `n` different articles to post on it.
    void artigos(Alvo& a, int n)
    {
        a.obra = obra();
        a.artigos.clear();
        while (a.artigos.size() < n) {
            const QString art = artigo();
            if (!a.artigos.contains(art)) a.artigos << art;
        }
    }
    void inicio(const QString& f, const QString& o, const QString& op, const QString& m)
    {
        QString msg;
        if (!m_eqp.Operacao_Inicio(f, o, op, m, agora(), msg, true)) ++m_falhasPreparacao;
    }
    void terminarTudo(const QString& f)
    {
        QString msg;
        m_eqp.TerminaTodasOperacoes(f, agora(), msg);
    }
    // The untimed steps the cases share. A target for a start (a free employee, an order, an
    // operation, a machine, the time):
    void paraIniciar(Alvo& a)
    {
        novoAlvo(a);
        a.t = agora();
    }
    // ... with the line started, to act on:
    void iniciado(Alvo& a)
    {
        novoAlvo(a);
        inicio(a.func, a.obra, a.oper, a.maq);
        a.t = agora();
    }
    // The day of the target's employee closed (after his starts), to open it again:
    void diaFechado(Alvo& a)
    {
        QString m;
        m_eqp.Dia_Fim(a.func, agora(), m);
        a.t = agora();
    }
    // After the day's end: opened again and everything ended.
    void diaReaberto(Alvo& a)
    {
        QString m;
        m_eqp.Dia_Inicio(a.func, agora(), m);
        terminarTudo(a.func);
    }

    // The articles of `a` posted on its order, one of each at 1.5.
    bool gravar(const Alvo& a)
    {
        cl_GravaKova g;
        g.setBd(&m_l);
        g.setLigKova(&m_kova);
        g.setOperador(&m_op);
        QStringList arts{QString()}, vazios{QString()}, nomes{QString()}, arms{QString()};
        QList<double> q{0}, pu{0};
        for (const QString& art : a.artigos) {
            arts << art;
            vazios << QString();
            nomes << QStringLiteral("Artigo");
            arms << GeradorDados::Armazem();
            q << 1.0;
            pu << 1.5;
        }
        return g.GravaSaidas(arts, q, pu, vazios, QStringLiteral("PR1"), a.obra, vazios, vazios, nomes, arms);
    }

    LigacaoDados& m_l;
    Cl_EQP m_eqp;
    OperadorScript m_op;
    LigacaoKovaBD m_kova;
    QDate m_dia;
    int m_segundo = 6 * 3600;
    std::mt19937 m_rng{7};
    QStringList m_obras, m_funcs, m_maqs, m_artigos;
    int m_nOper = 1, m_todasObras = 1;
    int m_proximoFunc = 0;
    int m_falhasPreparacao = 0;
};

} // namespace bench
