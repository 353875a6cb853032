#include "dataaccess/LigacaoDados.h"
#include "engine/Cl_EQP.h"

namespace {
const QString semFolhas = QStringLiteral("Não existem Folhas de Obra deste Operador iniciadas!");
} // namespace

// Closes the started open lines (any day) of the order, of `operador` when given; then, when it
// closed any, the order's sub-state, the notes when given, and the cost roll-up.
bool Cl_EQP::MudarEstadoObra(const TokenFuncao& token, const QString* operador, const QString& obra,
                             const QDateTime& dataHora, int estadoLinha, qint32 subEstado, const QString* notas,
                             const QString& semLinhas, QString& outMensagem)
{
    m_resultado = ResultadoEQP{};
    bool houve = false;
    int fechadas = 0;
    const Desfecho desfecho = Transacao(token, dataHora, [&] {
        QString sql = QStringLiteral("SELECT ") + ColunasLinhaAberta +
                      QStringLiteral(" FROM oka_LinFo_Ope WHERE NoFo = ? AND ") + AbertaIniciada;
        QVariantList valores{obra};
        if (operador) {
            sql += QStringLiteral(" AND Func = ?");
            valores << *operador;
        }
        const QList<LinhaAberta> linhas = LinhasDe(bd().consultar(sql + QStringLiteral(" ORDER BY NoLinha"), valores));
        // Lines another terminal closed since they were read are not this call's: with none left,
        // there was nothing to close.
        fechadas = linhas.isEmpty() ? 0 : FecharLinhas(linhas, dataHora, estadoLinha);
        houve = fechadas > 0;
        // Subcontracting an order without running lines is done, with nothing to write.
        if (!houve) return semLinhas.isEmpty();
        // Writing the header holds the order for the roll-up.
        ActualizaSubEstado(obra, subEstado, dataHora, notas);
        CalculaCustosObra(obra, true);
        return true;
    });
    if (desfecho == Desfecho::JaFeito) return true;
    if (houve)
        outMensagem.clear();
    else if (!semLinhas.isEmpty())
        outMensagem = semLinhas;
    m_resultado.DataHora = dataHora;
    m_resultado.Obra = obra;
    m_resultado.Obras = QStringList{obra};
    m_resultado.Linhas = fechadas;
    return houve || semLinhas.isEmpty();
}

bool Cl_EQP::Obra_Suspender(const QString& inOperador, const QString& inObra, const QDateTime& inDataHora,
                            const QString& inMotivo, QString& outMensagem)
{
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    return OperadorEObraIdentificados(inOperador, inObra, outMensagem) &&
           MudarEstadoObra(token, &inOperador, inObra, inDataHora, 9, 2, &inMotivo,
                           QStringLiteral("Não existem Operações para suspender nesta Folhas de Obra deste Operador!"),
                           outMensagem);
}

bool Cl_EQP::Obra_PorTerminar(const QString& inOperador, const QString& inObra, const QDateTime& inDataHora,
                              QString& outMensagem)
{
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    return OperadorEObraIdentificados(inOperador, inObra, outMensagem) &&
           MudarEstadoObra(token, &inOperador, inObra, inDataHora, 2, 3, nullptr, semFolhas, outMensagem);
}

bool Cl_EQP::Obra_PorControlar(const QString& inOperador, const QString& inObra, const QDateTime& inDataHora,
                               QString& outMensagem)
{
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    return OperadorEObraIdentificados(inOperador, inObra, outMensagem) &&
           MudarEstadoObra(token, &inOperador, inObra, inDataHora, 2, 4, nullptr, semFolhas, outMensagem);
}

bool Cl_EQP::Obra_Terminar(const QString& inOperador, const QString& inObra, const QDateTime& inDataHora,
                           QString& outMensagem)
{
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    const QString semLinhas =
        QStringLiteral("Não existem Operações iniciadas nesta Folhas de Obra por este Operador !");
    // No argument messages of its own: an empty operator or order finds no line, not even a
    // prepared line whose Func is ''.
    if (inOperador.isEmpty() || inObra.isEmpty()) {
        outMensagem = semLinhas;
        return false;
    }
    return MudarEstadoObra(token, &inOperador, inObra, inDataHora, 2, 5, nullptr, semLinhas, outMensagem);
}

bool Cl_EQP::Obra_NaoConforme(const QString& inOperador, const QString& inObra, const QDateTime& inDataHora,
                              QString& outMensagem)
{
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    return OperadorEObraIdentificados(inOperador, inObra, outMensagem) &&
           MudarEstadoObra(token, &inOperador, inObra, inDataHora, 4, 7, nullptr, semFolhas, outMensagem);
}

bool Cl_EQP::Obra_SubContrato(const QString& inObra, const QDateTime& inDataHora, QString& outMensagem)
{
    const TokenFuncao token = TomarToken();
    m_resultado = ResultadoEQP{};
    if (inObra.isEmpty()) {
        outMensagem = QStringLiteral("Obra não indentificada !");
        return false;
    }
    return MudarEstadoObra(token, nullptr, inObra, inDataHora, 2, 6, nullptr, QString(), outMensagem);
}
