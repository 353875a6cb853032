#pragma once

#include <QHash>
#include <QStringList>

#include "base/Currency.h"
#include "erp/LigacaoKova.h"

// An ERP stand-in that lives in the shop-floor database, beside the ERP's article and stock
// tables: a stock issue becomes one document in STKDOC with its lines in STKDOCLIN and lowers
// ARTARM.EXISTENC in the document's warehouse. Every posting writes through the database
// connection given as BaseDados, inside a transaction of its own or the caller's; a caller that
// joins it to its transaction tells it the outcome through TransacaoTerminada (the log lines of
// documents wait for that). BaseDados may be given before or after Ligar.
class LigacaoKovaBD : public LigacaoKova
{
public:
    // Error numbers left in UltimoErro.
    enum Erro : qint32 {
        SemErro = 0,
        PercursoInexistente = 1001,
        DadosLigacaoEmFalta = 1002,
        BaseDadosIndisponivel = 1003,
        NaoLigado = 1010,
        TipoNaoSuportado = 1020,
        CabecalhoIncompleto = 1021,
        LinhasIncompletas = 1022,
        ArtigoInexistente = 1030,
        ArtigoDescritivo = 1031,
        QuantidadeInvalida = 1032,
        StockInsuficiente = 1033,
        ErroBaseDados = 1090,
    };

    void setBaseDados(LigacaoDados* bd) override;
    bool Ligar(const QString& PercursoWindows, const QString& PercursoLog, const QString& Empresa,
               const QString& Utilizador, const QString& Password) override;
    void Desligar() override;
    bool ligado() const override { return m_ligado; }
    void UltimoErro(qint32& numero, QString& texto) override;
    bool GravarMovimento(qint32 tipo, CabecalhoMovimento& cab, const QString& processo, const QStringList& artigos,
                         const QList<double>& quantidades, const QList<double>& precos, AuxiliarMovimento& aux,
                         ResultadoMovimento& res) override;
    bool PartilhaTransacao(const LigacaoDados* bd) const override { return bd && bd == m_bd; }
    void TransacaoTerminada(bool confirmada) override;

    // Name of the day's log file in the log folder.
    static QString NomeFicheiroLog(const QDate& dia);

private:
    bool falha(qint32 numero, const QString& texto);
    void baixarStock(const QStringList& artigos, const QHash<QString, Currency>& quantidades, const QString& armazem);
    bool baseDadosResponde();
    void escreverLog(const QStringList& linhas);

    bool m_ligado = false;
    QString m_percursoLog;
    QString m_empresa;
    QString m_utilizador;
    qint32 m_erro = 0;
    QString m_textoErro;
    QStringList m_logPendente;
};
