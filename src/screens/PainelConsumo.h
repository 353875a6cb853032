#pragma once

#include <array>
#include <functional>

#include <QDateTime>
#include <QGroupBox>
#include <QString>

class Cl_EQP;
class GrelhaConsumo;
class InteraccaoOperador;
class LigacaoDados;
class LigacaoKova;
class QLabel;
class okaBotao;
class oka_input;

// "Consumo de Materiais": the full-screen panel of the ERP terminal on which the materials
// consumed on one work order are listed and then posted to the ERP in one stock document.
class PainelConsumo : public QGroupBox
{
    Q_OBJECT

public:
    enum Campo { CodArtigo = 0, Descricao, Comprimento, Largura, Quantidade, Lote, NumCampos };

    explicit PainelConsumo(QWidget* parent = nullptr);

    void setLigacao(LigacaoDados* ligacao) { m_ligacao = ligacao; }
    void setLigKova(LigacaoKova* ligKova) { m_ligKova = ligKova; }
    void setEQP(Cl_EQP* eqp) { m_eqp = eqp; }
    void setOperador(InteraccaoOperador* operador) { m_operador = operador; }

    // The screen's error handling for the panel's handlers (a database error is shown and
    // logged there). Without one, errors are shown as a system message.
    using Protector = std::function<void(const QString& rotina, const std::function<void()>& corpo)>;
    void setProtector(Protector p) { m_protector = std::move(p); }

    // Lays the panel out over a client area of `largura` x `altura` pixels, empties it and
    // shows it for the work order `obra`.
    void MostraConsumo(const QString& obra, int largura, int altura);
    void EscondeConsumo();
    QString ObraConsumo() const { return m_obra; }

    // Field validation on leaving; `Cancel` keeps the focus in the field.
    void ValidaCampo(int Index, bool& Cancel);
    // The article code chosen from the list: into field 0, whose validation then runs; an
    // empty code only gives field 0 the focus.
    void IntroduzirArtigo(const QString& codigo);
    // A scanned article: refused, with the validation's message shown and returned in
    // `recusa`, when it cannot be moved (unknown, a descriptor), leaving the fields as they were;
    // otherwise IntroduzirArtigo.
    bool LerArtigo(const QString& codigo, QString& recusa);

    QGroupBox* CMFrameBotoes = nullptr;
    QGroupBox* CMFrameIntroducao = nullptr;
    okaBotao* btCMConf = nullptr;
    okaBotao* btCMCancelar = nullptr;
    okaBotao* btCMSair = nullptr;
    okaBotao* btLista = nullptr;
    okaBotao* btAdd = nullptr;
    std::array<oka_input*, NumCampos> Campo{};
    std::array<QLabel*, NumCampos> Titulo{};
    QLabel* lbUnidade = nullptr;
    QLabel* lbTitulo = nullptr;
    GrelhaConsumo* CMGRmat = nullptr;

signals:
    // A confirmation of the posting ended (the list was not empty): `mensagem` is the document
    // posted or why it was refused; `quando` is the moment Confirmar was touched.
    void Confirmado(const QDateTime& quando, const QString& mensagem);
    // The list was posted: `texto` names the ERP document and what it holds, for the operator's
    // confirmation. Raised just before Terminou.
    void Lancado(const QString& texto);
    // The panel is done (posted, or left with "Sair"): the screen hides it and returns to
    // operator identification.
    void Terminou();

private:
    void btLista_Click();
    void btAdd_Click();
    bool ValidarCampoActivo();
    void btCMConf_Click();
    void btCMSair_Click();
    void CampoTocado(int Index);
    void LinhaTocada(int linha);
    void Dispor(int largura, int altura);
    void MensagemErro(const QString& texto);
    void Correr(const QString& rotina, const std::function<void()>& corpo);

    LigacaoDados* m_ligacao = nullptr;
    LigacaoKova* m_ligKova = nullptr;
    Cl_EQP* m_eqp = nullptr;
    InteraccaoOperador* m_operador = nullptr;
    QString m_obra;
    bool m_aConfirmar = false;
    Protector m_protector;
};
