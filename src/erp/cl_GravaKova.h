#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "base/Currency.h"
#include "erp/LigacaoKova.h"

class ErroBD;
class InteraccaoOperador;
class LigacaoDados;

// Posts the materials issued to one work order: one stock document in the ERP, one material
// line of the order per article (oka_LinFo_Apr) and the order's material costs recomputed.
// With an ERP that writes through the same database (the stand-in), all of it is one
// transaction: a failure anywhere leaves nothing, so confirming again posts the list once.
class cl_GravaKova : public QObject
{
    Q_OBJECT

public:
    // Column widths of the material line.
    static constexpr int LarguraOrdem = 6;
    static constexpr int LarguraArtigo = 15;
    static constexpr int LarguraNome = 50;
    static constexpr int LarguraUnidade = 3;
    static constexpr int LarguraFornecedor = 15;
    static constexpr int LarguraArmazem = 6;

    // One material line of a work order, in the column order of oka_LinFo_Apr.
    struct LinhaMaterial
    {
        QString NoFo;
        QString Artigo;
        QString Nome;
        Currency QtdOr;
        Currency Comp;
        QString Unidade;
        QString Fornecedor;
        QString DocSaida;
        qint32 NoLinha = 0;
        Currency PrUnit;
        QString VossoNum;
        Currency Factor;
        Currency Larg;
        QString Armazem;
    };

    explicit cl_GravaKova(QObject* parent = nullptr) : QObject(parent) {}

    void setBd(LigacaoDados* bd) { m_bd = bd; }
    LigacaoDados* bd() const { return m_bd; }
    void setLigKova(LigacaoKova* ligacao) { LigKova = ligacao; }
    // Where failures are shown (the system message box).
    void setOperador(InteraccaoOperador* operador) { m_operador = operador; }

    // Posts lines 1 to the last index of ARTIGOS (index 0 of every list is unused); `Lotes` is
    // not used. True when the document was posted, the lines recorded and the costs updated.
    // On false the operator has been shown why: a value that does not fit, "Erro: " with the
    // ERP's number and text, or "Erro " with a database error.
    bool GravaSaidas(const QStringList& ARTIGOS, const QList<double>& Quantidade, const QList<double>& PrecoUnitario,
                     const QStringList& Lotes, const QString& processo, const QString& NumeroFolhaObra,
                     const QStringList& Comprimeno, const QStringList& Largura, const QStringList& Nome,
                     const QStringList& Armazens);

    // The document of the last posting.
    const ResultadoMovimento& documento() const { return m_documento; }
    // With an ERP of its own: the number of a document the last call posted but could not record
    // in the work order (to be reconciled by hand); 0 when there is none.
    qint32 documentoPorRegistar() const { return m_documentoPorRegistar; }

    LigacaoKova* LigKova = nullptr;

signals:
    void Progresso(QString& textoErro);

protected:
    // Records one material line with the 14 values of the table: the lines of a posting are
    // written together once all are given. The place where an installation with its own procedure
    // for material lines would call it instead.
    virtual void GravaLinhaMaterial(const LinhaMaterial& linha);

private:
    bool ExecutaGravacao(const QStringList& ARTIGOS, const QList<double>& Quantidade,
                         const QList<double>& PrecoUnitario, const QString& processo, const QString& NumeroFolhaObra,
                         const QStringList& Comprimeno, const QStringList& Largura, const QStringList& Nome,
                         const QStringList& Armazens);
    struct DadosArtigo
    {
        QString unidade;
        QString fornecedor;
    };
    // What the material lines take from the database besides the document: read (with the order
    // held) before the ERP posts.
    struct Preparacao
    {
        qint32 ultima = 0;
        QHash<QString, DadosArtigo> artigos;
    };
    Preparacao PrepararLinhas(const QString& fo, const QStringList& ARTIGOS);
    void gravarLinhasECustos(const QStringList& ARTIGOS, const QList<Currency>& quantidades,
                             const QList<Currency>& precos, const QList<Currency>& comprimentos,
                             const QList<Currency>& larguras, const QStringList& Nome, const QStringList& Armazens,
                             const QString& NumeroFolhaObra, const Preparacao& preparacao, const QString& documento);
    // Writes the lines GravaLinhaMaterial was given, many to a statement.
    void gravarLinhasMaterial();
    qint32 PesquisarUltimoNumeroLinha(const QString& fo);
    QHash<QString, DadosArtigo> DadosArtigos(const QStringList& ARTIGOS);

    void recusar(const QString& texto);
    void mostrarErro(const QString& numero, const QString& descricao, const QString& funcao);
    [[noreturn]] void erroNaFuncao(const ErroBD& e, const QString& funcao);

    LigacaoDados* m_bd = nullptr;
    InteraccaoOperador* m_operador = nullptr;
    QList<LinhaMaterial> m_porGravar;
    ResultadoMovimento m_documento;
    qint32 m_documentoPorRegistar = 0;
};
