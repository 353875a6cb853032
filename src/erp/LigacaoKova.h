#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class LigacaoDados;

// Header of a stock movement. The terminal fills the first seven fields; the others are for
// integrations that need them and stay empty.
struct CabecalhoMovimento
{
    QString Armazem;
    QString Sector;
    QString TipoDoc;
    qint16 Serie = 0;
    QString Data; // "yyyy-MM-dd"
    qint16 Ano = 0;
    QString Moeda;
    QString Entidade;
    QString Observacoes;
};

// What the ERP answers for a posting: the document it created.
struct ResultadoMovimento
{
    QString TipoDoc;
    qint16 Serie = 0;
    qint16 Ano = 0;
    qint32 NumeroDocumento = 0;
    qint32 Linhas = 0;
};

// Extra per-posting data an integration may exchange with its ERP; the terminal hands it over
// empty and does not read it back.
struct AuxiliarMovimento
{
    QStringList Lotes;
    QStringList Avisos;
};

// The link to the company ERP. One object serves the whole run: it is created and connected at
// start-up, handed the database connection, and used for every posting.
class LigacaoKova
{
public:
    // Kinds of movement.
    static constexpr qint32 SaidaStock = 6;

    virtual ~LigacaoKova() = default;

    // The shop-floor database connection; not owned.
    virtual void setBaseDados(LigacaoDados* bd) { m_bd = bd; }
    LigacaoDados* baseDados() const { return m_bd; }

    // Connects to the ERP company; false with UltimoErro set when refused.
    virtual bool Ligar(const QString& PercursoWindows, const QString& PercursoLog, const QString& Empresa,
                       const QString& Utilizador, const QString& Password) = 0;
    virtual void Desligar() = 0;
    virtual bool ligado() const = 0;
    // Number and Portuguese text of the last failure (0 and "" when there was none).
    virtual void UltimoErro(qint32& numero, QString& texto) = 0;

    // Posts one stock document of kind `tipo`. Index 0 of the three lists is unused; lines run
    // from 1 to the last index of `artigos`. True when the document was created: its number is in
    // `res`. False, with UltimoErro set and nothing posted, when the ERP refuses it.
    virtual bool GravarMovimento(qint32 tipo, CabecalhoMovimento& cab, const QString& processo,
                                 const QStringList& artigos, const QList<double>& quantidades,
                                 const QList<double>& precos, AuxiliarMovimento& aux, ResultadoMovimento& res) = 0;

    // True when a posting writes through `bd` and so joins a transaction open on it: undone with
    // it, repeated with it. An ERP of its own keeps what it posted whatever happens afterwards.
    virtual bool PartilhaTransacao(const LigacaoDados* bd) const
    {
        Q_UNUSED(bd);
        return false;
    }
    // Told by the owner of a transaction that postings joined, once it has ended.
    virtual void TransacaoTerminada(bool confirmada) { Q_UNUSED(confirmada); }

    virtual void setOpcaoGravacao1(bool v) { m_opcao1 = v; }
    virtual void setOpcaoGravacao2(bool v) { m_opcao2 = v; }
    virtual void setModo(int modo) { m_modo = modo; }
    bool opcaoGravacao1() const { return m_opcao1; }
    bool opcaoGravacao2() const { return m_opcao2; }
    int modo() const { return m_modo; }

protected:
    LigacaoDados* m_bd = nullptr;
    bool m_opcao1 = false;
    bool m_opcao2 = false;
    int m_modo = 0;
};
