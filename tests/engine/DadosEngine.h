#pragma once

#include <QDateTime>

#include "base/Currency.h"
#include "base/Rotinas.h"
#include "engine/Cl_EQP.h"
#include "support/BaseDadosTeste.h"
#include "support/OperadorFalso.h"

// Fixture rows and readings for the engine tests, on a fresh database per test.
namespace dados {

inline Currency C(const char* texto)
{
    return *Currency::parse(QString::fromLatin1(texto));
}
inline QDateTime Em(int dia, const char* hora)
{
    return QDateTime(QDate(2024, 3, dia), QTime::fromString(QString::fromLatin1(hora), QStringLiteral("hh:mm:ss")));
}

inline void Obra(LigacaoDados& bd, const QString& fo, QVariant estadoFo = 1, QVariant processo = {})
{
    bd.executar(
        QStringLiteral("INSERT INTO oka_CabOrc (Fo, EstadoFo, SubEstado, Notas, Processo) VALUES (?, ?, 0, ?, ?)"),
        {fo, estadoFo, QStringLiteral("notas antigas"), processo});
}
inline void Funcionario(LigacaoDados& bd, const QString& id, const QString& nome, const char* custo = "12")
{
    bd.executar(QStringLiteral("INSERT INTO oka_Funcionarios (FuncId, FuncNome, Nivel, CustoHora) VALUES (?, ?, 1, ?)"),
                {id, nome, C(custo).paraBD()});
}
inline void Maquina(LigacaoDados& bd, const QString& id, const QString& nome, const char* custo = "20")
{
    bd.executar(QStringLiteral("INSERT INTO oka_Maquinas (MaqId, MaqNome, CustoHora) VALUES (?, ?, ?)"),
                {id, nome, C(custo).paraBD()});
}
inline void Operacao(LigacaoDados& bd, int id, const QString& nome)
{
    bd.executar(QStringLiteral("INSERT INTO oka_Operacoes (OperId, OperNome) VALUES (?, ?)"), {id, nome});
}
inline void Contador(LigacaoDados& bd, const char* ci = "5", QVariant armMp = QStringLiteral("A1"),
                     QVariant artigos = QStringLiteral("G9"))
{
    bd.executar(QStringLiteral("INSERT INTO oka_Contador (Id, CI, ArmMp, Artigos) VALUES (1, ?, ?, ?)"),
                {C(ci).paraBD(), armMp, artigos});
}
// A labour line as the office or an earlier event left it.
inline void Linha(LigacaoDados& bd, const QString& fo, int noLinha, const QDate& data, const char* inicio,
                  const char* fim, const char* total, int opera, const QString& func, int estado,
                  const QString& maquina = QStringLiteral("M1"))
{
    bd.executar(QStringLiteral("INSERT INTO oka_LinFo_Ope (NoFo, NoLinha, Data, HoraInicio, HoraFim, Total, Opera,"
                               " Maquina, Func, Estado, CustoHomem, CustoMaquina) VALUES (?,?,?,?,?,?,?,?,?,?,12,20)"),
                {fo, noLinha, DataBD(data), C(inicio).paraBD(), C(fim).paraBD(), C(total).paraBD(), opera, maquina,
                 func, estado});
}
// The standard shop: employee E1 (12/h), machine M1 (20/h), operations 10 Corte, 20 Solda, CI 5.
inline void Oficina(LigacaoDados& bd)
{
    Funcionario(bd, QStringLiteral("E1"), QStringLiteral("Ana"));
    Funcionario(bd, QStringLiteral("E2"), QStringLiteral("Rui"), "10");
    Maquina(bd, QStringLiteral("M1"), QStringLiteral("Serra"));
    Operacao(bd, 10, QStringLiteral("Corte"));
    Operacao(bd, 20, QStringLiteral("Solda"));
    Contador(bd);
}

inline Registos Linhas(LigacaoDados& bd, const QString& fo)
{
    return bd.consultar(QStringLiteral("SELECT NoLinha, Data, HoraInicio, HoraFim, Total, Opera, Descritivo, Maquina,"
                                       " Func, CustoHomem, CustoMaquina, Estado FROM oka_LinFo_Ope WHERE NoFo = ?"
                                       " ORDER BY NoLinha"),
                        {fo});
}
inline Registos Cabecalho(LigacaoDados& bd, const QString& fo)
{
    return bd.consultar(QStringLiteral("SELECT SubEstado, DataActual, Notas, TotalCustoProd, TotalCustoInd"
                                       " FROM oka_CabOrc WHERE Fo = ?"),
                        {fo});
}
// Every shop-floor row as text, to show that a refusal wrote nothing.
inline QString Fotografia(LigacaoDados& bd)
{
    QString t;
    for (const char* sql :
         {"SELECT * FROM oka_LinFo_Ope ORDER BY NoFo, NoLinha", "SELECT * FROM oka_CabOrc ORDER BY Fo"}) {
        const Registos r = bd.consultar(QString::fromLatin1(sql));
        for (int i = 0; i < r.RecordCount(); ++i)
            for (int c = 0; c < r.colunas().size(); ++c)
                t += r.celula(i, c).toString() + QLatin1Char('|');
    }
    return t;
}

} // namespace dados

// Engine on a fresh database with the standard shop and a scripted operator.
class TesteEngine : public TesteBD
{
protected:
    void SetUp() override
    {
        TesteBD::SetUp();
        if (IsSkipped()) return;
        dados::Oficina(bd());
        eqp.setBd_lig(&bd());
        eqp.setOperador(&operador);
    }
    OperadorFalso operador;
    Cl_EQP eqp;
    QString msg;
};
