#pragma once

#include <functional>

#include <QDate>
#include <QString>

#include "base/Currency.h"
#include "dataaccess/LigacaoDados.h"

// Fills an empty database with a factory of a chosen size, for benchmarks and load tests: the
// catalogues, work orders (most of them closed history, the newest in production), labour lines in
// every state, material lines and stock. Header costs agree with the lines, as the engine's roll-up
// would leave them. Deterministic for a given seed and reference day.
struct ParametrosGerador
{
    int ordens = 20000;
    int ordensAbertas = 0; // orders in production (the newest); 0 gives a tenth of the orders
    qint64 linhas = 1000000;
    int funcionarios = 300;
    int operacoes = 200;
    int maquinas = 100;
    int artigos = 20000;
    int materiaisPorOrdem = 1;
    quint32 semente = 1;
    // The day taken as "today": running lines are dated on it, interrupted lines the day before,
    // history spreads over the two years before it.
    QDate hoje = QDate::currentDate();
    QString senha = QStringLiteral("1234");
    int linhasPorInsert = 400; // rows per multi-row INSERT
};

struct ResultadoGerador
{
    qint64 ordens = 0;
    qint64 ordensAbertas = 0;
    qint64 linhas = 0;
    qint64 linhasEmCurso = 0;
    qint64 linhasFimDia = 0;
    qint64 linhasPreparadas = 0;
    qint64 materiais = 0;
    qint64 artigos = 0;
    double segundos = 0;
};

namespace GeradorDados {

// Work-order number of order `i` (0-based): six digits from 100000.
QString NumeroOrdem(int i);
// Employee, machine and article codes of index `i` (0-based).
QString CodigoFuncionario(int i);
QString CodigoMaquina(int i);
QString CodigoArtigo(int i);
// Warehouse of raw materials written to oka_Contador.ArmMp.
QString Armazem();

// Creates the schema when missing and fills it in one transaction, so that a fill stopped half way
// leaves nothing behind. Refuses (ErroBD) a database where any table it fills has rows.
// `progresso` receives a short line per stage.
ResultadoGerador Gerar(LigacaoDados& ligacao, const ParametrosGerador& p,
                       const std::function<void(const QString&)>& progresso = {});

} // namespace GeradorDados
