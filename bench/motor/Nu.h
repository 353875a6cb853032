#pragma once

#include <map>
#include <memory>

#include <QDateTime>
#include <QList>
#include <QSqlQuery>
#include <QVariantList>

#include "base/Currency.h"
#include "dataaccess/LigacaoDados.h"

// The statements each engine operation runs, issued bare through QtSql on the same connection
// (bind, exec, read every row, each query object prepared once and kept, as the data layer keeps
// them), in the same transactions: the baseline of bench_motor.
class Nu
{
public:
    explicit Nu(LigacaoDados& l) : m_l(l) {}

    bool Inicio(const QString& f, const QString& obra, const QString& oper, const QString& maq, const QDateTime& t,
                bool testes);
    bool Fim(const QString& f, const QString& obra, const QString& oper, const QString& maq, const QDateTime& t);
    bool MudarEstado(const QString* f, const QString& obra, const QDateTime& t, int estadoLinha, int subEstado,
                     const QString* notas);
    bool DiaFim(const QString& f, const QDateTime& t);
    bool DiaInicio(const QString& f, const QDateTime& t);
    bool TerminaTodas(const QString& f, const QDateTime& t);
    bool ExisteFolhaObra(const QString& obra);
    bool NumeroProcesso(const QString& obra);
    bool ListaOperacoes(const QString& f);
    bool ListaOrdens();
    bool ValidaArtigo(const QString& artigo);
    bool ExisteQuantidade(const QString& artigo, Currency q);
    bool GravaSaidas(const QString& obra, const QStringList& artigos, Currency q, Currency preco);

private:
    using Linhas = QList<QVariantList>;
    QSqlQuery& preparada(const QString& sql);
    Linhas sel(const QString& sql, const QVariantList& v = {});
    int exec(const QString& sql, const QVariantList& v = {});
    void comecar();
    void confirmar();
    void desfazer();
    template <class F> void transacao(F corpo)
    {
        comecar();
        try {
            corpo();
        } catch (...) {
            desfazer();
            throw;
        }
        confirmar();
    }
    void inicioSemTestes(const QString& f, const QString& obra, const QString& oper, const QString& maq,
                         const QDateTime& t, bool& iniciou);
    bool fechar(const QVariantList& linha, const QDateTime& t, int estado);
    int fecharVarias(const Linhas& linhas, const QDateTime& t, int estado);
    void custos(const QString& obra, bool presa);
    void mudarEstadoDentro(const QString* f, const QString& obra, const QDateTime& t, int estadoLinha, int subEstado,
                           const QString* notas, bool& houve);

    LigacaoDados& m_l;
    std::map<QString, std::unique_ptr<QSqlQuery>> m_preparadas;
};
