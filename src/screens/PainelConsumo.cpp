#include "screens/PainelConsumo.h"

#include <memory>

#include <QHeaderView>
#include <QLabel>

#include "base/Currency.h"
#include "base/InteraccaoOperador.h"
#include "controls/Fontes.h"
#include "controls/GrelhaConsumo.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"
#include "controls/oka_input.h"
#include "engine/Cl_EQP.h"
#include "erp/cl_GravaKova.h"

namespace {

const char* const Titulos[] = {"Cód. Artigo", "Descrição", "Comp.", "Largura", "Qtd.", "Lote"};
// Widths of the entry fields in twips; the description takes what is left.
const int LargurasCampos[] = {2000, 0, 1800, 1800, 1800, 1200};
// The list button and "Adicionar Artigo" (its caption on two lines), in twips.
constexpr int LarguraLista = 1100;
constexpr int LarguraAdd = 1800;
const char* const PedidosNumero[] = {"", "", "INTRODUZA O COMPRIMENTO", "INTRODUZA A LARGURA", "INTRODUZA A QUANTIDADE",
                                     ""};

// A measure field's text without the grouping of its display format.
QString SemGrupos(QString texto)
{
    return texto.remove(QChar(0x00A0)).trimmed();
}

const QString QuantidadeNaoPositiva =
    QStringLiteral("A quantidade, arredondada a 4 casas decimais, tem de ser maior que 0 !");

// The operator's number, read as fixed point with 4 decimals (further decimals rounded half to
// even, as every quantity); nullopt for text that is not a number.
std::optional<Currency> Numero(const QString& texto)
{
    const QString t = SemGrupos(texto);
    qsizetype ponto = t.indexOf(u'.');
    if (ponto < 0) ponto = t.indexOf(u',');
    if (ponto < 0 || t.size() - ponto - 1 <= 4) return Currency::parse(t);
    const QString resto = t.mid(ponto + 5);
    for (const QChar c : resto)
        if (c.unicode() < '0' || c.unicode() > '9') return std::nullopt;
    const auto base = Currency::parse(t.left(ponto + 5));
    if (!base) return std::nullopt;
    const int primeiro = resto[0].unicode() - '0';
    bool depoisDoPrimeiro = false;
    for (qsizetype i = 1; i < resto.size(); ++i)
        depoisDoPrimeiro = depoisDoPrimeiro || resto[i] != u'0';
    const bool negativo = t.startsWith(u'-');
    std::int64_t absoluto = negativo ? -base->raw() : base->raw();
    if (primeiro > 5 || (primeiro == 5 && (depoisDoPrimeiro || absoluto % 2 == 1))) ++absoluto;
    return Currency::fromRaw(negativo ? -absoluto : absoluto);
}

// What a measure field holds: the exact number it keeps, or its text read as a number.
std::optional<Currency> Valor(const oka_input* campo)
{
    if (const auto n = campo->numero()) return n;
    return Numero(campo->text());
}

// Shows `valor` in the measure format, "###,###.000", and keeps it exactly.
void MostrarMedida(oka_input* campo, Currency valor)
{
    campo->setNumero(valor, GrelhaConsumo::Formatar(valor.toString()));
}

// The operator as the posting sees it: every call goes to the screen's operator, and the system
// messages shown (the posting's refusals) are kept for the daily log.
class OperadorDoLancamento : public InteraccaoOperador
{
public:
    explicit OperadorDoLancamento(InteraccaoOperador* op) : m_op(op) {}
    QStringList mensagens;

    void Aviso(const QString& m, int t, int a) override
    {
        if (m_op) m_op->Aviso(m, t, a);
    }
    bool Confirmacao(const QString& m, int t, int a) override { return m_op && m_op->Confirmacao(m, t, a); }
    int MensagemSistema(const QString& texto, int tipo) override
    {
        mensagens << texto;
        return m_op ? m_op->MensagemSistema(texto, tipo) : 0;
    }
    QString ListaSelecao(const QString& t, int n, const Registos& l, const QString& g, const QList<int>& w) override
    {
        return m_op ? m_op->ListaSelecao(t, n, l, g, w) : QString();
    }
    QString PedirNumero(const QString& t) override { return m_op ? m_op->PedirNumero(t) : QString(); }
    QString PedirTexto(const QString& t) override { return m_op ? m_op->PedirTexto(t) : QString(); }
    QString EscolherMotivo(const Registos& m, const QString& t) override
    {
        return m_op ? m_op->EscolherMotivo(m, t) : QString();
    }
    bool EditarDefinicoesKova(ValoresKova& v) override { return m_op && m_op->EditarDefinicoesKova(v); }
    bool EditarDefinicoesBD(DefinicoesBD& d, const QString& s) override
    {
        return m_op && m_op->EditarDefinicoesBD(d, s);
    }

private:
    InteraccaoOperador* m_op;
};

} // namespace

PainelConsumo::PainelConsumo(QWidget* parent) : QGroupBox(parent)
{
    // The panel and the entry frame are borderless: their captions are not drawn; the caption
    // and the order appear in lbTitulo instead.
    setObjectName(QStringLiteral("PainelDonsumo"));
    setAccessibleName(QStringLiteral("Consumo de Materiais"));
    setFlat(true);
    setAutoFillBackground(true);

    CMFrameBotoes = new QGroupBox(this);
    CMFrameBotoes->setFont(FonteTerminal(10, false));
    CMFrameBotoes->setObjectName(QStringLiteral("CMFrameBotoes"));
    CMFrameBotoes->resize(Twips::Px(6015), Twips::Px(1815));
    btCMConf = new okaBotao(QStringLiteral("C&onfirmar"), CMFrameBotoes);
    btCMCancelar = new okaBotao(QStringLiteral("C&ancelar"), CMFrameBotoes);
    btCMSair = new okaBotao(QStringLiteral("&Sair"), CMFrameBotoes);
    okaBotao* botoes[] = {btCMConf, btCMCancelar, btCMSair};
    for (int k = 0; k < 3; ++k) {
        botoes[k]->setGeometry(Twips::Rect(120 + 1965 * k, 300, 1845, 1395));
        botoes[k]->setFont(FonteTerminal(12, true));
    }
    btCMConf->setObjectName(QStringLiteral("btCMConf"));
    btCMCancelar->setObjectName(QStringLiteral("btCMCancelar"));
    btCMSair->setObjectName(QStringLiteral("btCMSair"));

    CMFrameIntroducao = new QGroupBox(this);
    CMFrameIntroducao->setObjectName(QStringLiteral("CMFrameIntroducao"));
    CMFrameIntroducao->setAccessibleName(QStringLiteral("Introdução"));
    CMFrameIntroducao->setFlat(true);
    for (int c = 0; c < NumCampos; ++c) {
        Titulo[std::size_t(c)] = new QLabel(QString::fromUtf8(Titulos[c]), CMFrameIntroducao);
        Titulo[std::size_t(c)]->setFont(FonteTerminal(12, true));
        auto* campo = new oka_input(CMFrameIntroducao);
        campo->setObjectName(QStringLiteral("Campo%1").arg(c));
        campo->setFont(FonteTerminal(14, false));
        Campo[std::size_t(c)] = campo;
        connect(campo, &oka_input::Validate, this,
                [this, c](bool& cancel) { Correr(QStringLiteral("ValidaCampo"), [&] { ValidaCampo(c, cancel); }); });
        connect(campo, &oka_input::Tocado, this,
                [this, c] { Correr(QStringLiteral("Campo_Click"), [&] { CampoTocado(c); }); });
    }
    Campo[Descricao]->setReadOnly(true);
    Campo[Descricao]->setFocusPolicy(Qt::NoFocus);
    for (int c : {CodArtigo, Comprimento, Largura, Quantidade})
        Campo[std::size_t(c)]->setEntradaPorToque(true);
    // Filled by the program or from the keypad: every field shows its whole text.
    for (oka_input* c : Campo)
        c->setMostrarInteiro(true);
    for (int c : {Comprimento, Largura, Quantidade})
        Campo[std::size_t(c)]->setAlignment(Qt::AlignRight);

    btLista = new okaBotao(QStringLiteral("Lista"), CMFrameIntroducao);
    btLista->setObjectName(QStringLiteral("btLista"));
    btAdd = new okaBotao(QStringLiteral("Adicionar Artigo"), CMFrameIntroducao);
    btAdd->setObjectName(QStringLiteral("btAdd"));
    for (okaBotao* b : {btLista, btAdd})
        b->setFont(FonteTerminal(12, true));
    lbUnidade = new QLabel(CMFrameIntroducao);
    lbUnidade->setObjectName(QStringLiteral("lbUnidade"));
    lbUnidade->setFont(FonteTerminal(12, true));
    lbTitulo = new QLabel(CMFrameIntroducao);
    lbTitulo->setObjectName(QStringLiteral("lbTitulo"));
    lbTitulo->setFont(FonteTerminal(14, true));
    lbTitulo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    CMGRmat = new GrelhaConsumo(CMFrameIntroducao);
    CMGRmat->setObjectName(QStringLiteral("CMGRmat"));
    CMGRmat->setFont(FonteTerminal(14, false));
    CMGRmat->horizontalHeader()->setFont(FonteTerminal(12, true));
    connect(CMGRmat, &GrelhaConsumo::LinhaTocada, this, &PainelConsumo::LinhaTocada);

    connect(btLista, &okaBotao::clicked, this,
            [this] { Correr(QStringLiteral("btLista_Click"), [this] { btLista_Click(); }); });
    connect(btAdd, &okaBotao::clicked, this,
            [this] { Correr(QStringLiteral("btAdd_Click"), [this] { btAdd_Click(); }); });
    connect(btCMConf, &okaBotao::clicked, this,
            [this] { Correr(QStringLiteral("btCMConf_Click"), [this] { btCMConf_Click(); }); });
    connect(btCMSair, &okaBotao::clicked, this, &PainelConsumo::btCMSair_Click);
    hide();
}

void PainelConsumo::Dispor(int largura, int altura)
{
    setGeometry(0, 0, largura, altura);
    CMFrameBotoes->move((largura - CMFrameBotoes->width()) / 2, qRound(altura - 1.1 * CMFrameBotoes->height()));
    const int alturaIntro = qRound(altura - 1.2 * CMFrameBotoes->height());
    const int larguraIntro = largura - Twips::Px(240);
    CMFrameIntroducao->setGeometry((largura - larguraIntro) / 2, 0, larguraIntro, alturaIntro);

    // Entry strip (the top 2000 twips of the frame): captions above the fields, the list button
    // beside the article code, "Adicionar Artigo" at the right end.
    const int margem = Twips::Px(120);
    const int topoTitulo = Twips::Px(300);
    const int topoCampo = Twips::Px(660);
    const int alturaCampo = Twips::Px(735);
    // The description takes what the others leave, at least 1500 twips; on a screen too narrow
    // for all of them at their widths every piece narrows alike, so that the strip ends inside
    // the frame.
    const int disponivel = larguraIntro - margem * (NumCampos + 3);
    int fixos = Twips::Px(LarguraLista) + Twips::Px(LarguraAdd);
    for (int c = 0; c < NumCampos; ++c)
        fixos += Twips::Px(LargurasCampos[c]);
    const double escala = qMin(1.0, double(disponivel) / (fixos + Twips::Px(1500)));
    const auto estreitado = [escala](double twips) { return int(Twips::Px(twips) * escala); };
    const int larguraLista = estreitado(LarguraLista);
    const int larguraAdd = estreitado(LarguraAdd);
    int larguraDescricao = disponivel - larguraLista - larguraAdd;
    for (int c = 0; c < NumCampos; ++c)
        if (c != Descricao) larguraDescricao -= estreitado(LargurasCampos[c]);
    int x = margem;
    for (int c = 0; c < NumCampos; ++c) {
        const int w = c == Descricao ? larguraDescricao : estreitado(LargurasCampos[c]);
        Titulo[std::size_t(c)]->setGeometry(x, topoTitulo, w, topoCampo - topoTitulo);
        Campo[std::size_t(c)]->setGeometry(x, topoCampo, w, alturaCampo);
        x += w + margem;
        if (c == CodArtigo) {
            btLista->setGeometry(x, topoTitulo, larguraLista, topoCampo + alturaCampo - topoTitulo);
            x += larguraLista + margem;
        }
    }
    btAdd->setGeometry(x, topoTitulo, larguraAdd, topoCampo + alturaCampo - topoTitulo);
    lbUnidade->setGeometry(margem, topoCampo + alturaCampo + Twips::Px(60), Twips::Px(6000), Twips::Px(400));
    lbTitulo->setGeometry(larguraIntro / 2, topoCampo + alturaCampo + Twips::Px(60), larguraIntro / 2 - margem,
                          Twips::Px(480));

    CMGRmat->setGeometry(0, Twips::Px(2000), larguraIntro, alturaIntro - Twips::Px(2000));
}

void PainelConsumo::MostraConsumo(const QString& obra, int largura, int altura)
{
    m_obra = obra;
    lbTitulo->setText(QStringLiteral("Consumo de Materiais - Obra ") + obra);
    Dispor(largura, altura);
    CMGRmat->Configurar();
    for (oka_input* c : Campo)
        c->clear();
    Campo[Comprimento]->setEnabled(true);
    Campo[Largura]->setEnabled(true);
    Campo[Quantidade]->setEnabled(true);
    Campo[Lote]->setEnabled(false);
    show();
    raise();
    Campo[CodArtigo]->setFocus(Qt::OtherFocusReason);
    update();
}

void PainelConsumo::EscondeConsumo()
{
    hide();
}

void PainelConsumo::Correr(const QString& rotina, const std::function<void()>& corpo)
{
    if (m_protector) {
        m_protector(rotina, corpo);
        return;
    }
    try {
        corpo();
    } catch (const std::exception& e) {
        MensagemErro(
            QStringLiteral("Erro (%1)\r\nNa função %2 do PainelConsumo").arg(QString::fromUtf8(e.what()), rotina));
    }
}

void PainelConsumo::MensagemErro(const QString& texto)
{
    if (m_operador) m_operador->MensagemSistema(texto, 2);
}

void PainelConsumo::ValidaCampo(int Index, bool& Cancel)
{
    oka_input* campo = Campo[std::size_t(Index)];
    switch (Index) {
    case CodArtigo: {
        if (campo->text().trimmed().isEmpty()) return;
        QString descricao, mensagem, unidade;
        double factor = 0;
        if (m_eqp->CM_ValidaArtigo(campo->text(), descricao, factor, mensagem, unidade)) {
            Campo[Descricao]->setText(descricao);
            lbUnidade->setText(QStringLiteral("Unidade Base:") + unidade);
        } else {
            if (!mensagem.isEmpty()) MensagemErro(mensagem);
            Cancel = true;
            campo->clear();
            lbUnidade->clear();
            campo->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    case Comprimento:
    case Largura:
    case Quantidade: {
        if (campo->text().trimmed().isEmpty()) return;
        const auto valor = Valor(campo);
        if (!valor) {
            campo->clear();
            Cancel = true;
            campo->setFocus(Qt::OtherFocusReason);
            return;
        }
        if (Index == Largura) {
            const auto comprimento = Valor(Campo[Comprimento]);
            if (!Campo[Comprimento]->text().isEmpty() && comprimento)
                MostrarMedida(Campo[Quantidade], *comprimento * *valor);
        } else if (Index == Quantidade) {
            if (*valor <= Currency(0)) {
                Cancel = true;
                MensagemErro(QuantidadeNaoPositiva);
                campo->clear();
                campo->setFocus(Qt::OtherFocusReason);
                return;
            }
            QString mensagem, armazem;
            if (!m_eqp->ExisteQuantidadeNoArmazem(Campo[CodArtigo]->text(), *valor, mensagem, armazem)) {
                Cancel = true;
                MensagemErro(mensagem);
                campo->clear();
                campo->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
        // Shown in the measure format, "###,###.000"; the value itself stays exact.
        MostrarMedida(campo, *valor);
        return;
    }
    default:
        return;
    }
}

void PainelConsumo::CampoTocado(int Index)
{
    if (!m_operador) return;
    const QString texto = Index == CodArtigo ? m_operador->PedirTexto(QStringLiteral("INTRODUZA O CÓDIGO DO ARTIGO"))
                                             : m_operador->PedirNumero(QString::fromUtf8(PedidosNumero[Index]));
    if (texto.isEmpty()) return;
    oka_input* campo = Campo[std::size_t(Index)];
    campo->setText(texto);
    // As if the operator had typed it and left the field.
    campo->Validar();
}

void PainelConsumo::btLista_Click()
{
    IntroduzirArtigo(m_eqp->cm_ListaArtigos());
}

void PainelConsumo::IntroduzirArtigo(const QString& codigo)
{
    oka_input* campo = Campo[CodArtigo];
    campo->setFocus(Qt::OtherFocusReason);
    if (codigo > QString()) {
        campo->setText(codigo);
        campo->Validar();
    }
}

bool PainelConsumo::LerArtigo(const QString& codigo, QString& recusa)
{
    // Checked before it goes into the field: a refused validation would empty the field.
    QString descricao, unidade;
    double factor = 0;
    if (!m_eqp->CM_ValidaArtigo(codigo, descricao, factor, recusa, unidade)) {
        if (!recusa.isEmpty()) MensagemErro(recusa);
        return false;
    }
    IntroduzirArtigo(codigo);
    return true;
}

bool PainelConsumo::ValidarCampoActivo()
{
    // The touch buttons take no focus: a value typed on a keyboard is validated here, as leaving
    // the field would have done, before the button acts.
    for (oka_input* c : Campo)
        if (c->hasFocus() && c->isModified()) return c->Validar();
    return true;
}

void PainelConsumo::btAdd_Click()
{
    if (!ValidarCampoActivo()) return;
    if (Campo[Quantidade]->text().trimmed().isEmpty()) return;
    const auto valor = Valor(Campo[Quantidade]);
    if (!valor) return;
    // Also a length by a width whose product rounds to 0.
    if (*valor <= Currency(0)) {
        MensagemErro(QuantidadeNaoPositiva);
        Campo[Quantidade]->clear();
        return;
    }
    // A line without an article would be posted as an issue of nothing.
    if (Campo[CodArtigo]->text().trimmed().isEmpty()) {
        if (m_operador) m_operador->Aviso(QStringLiteral("Deve indicar o artigo !"), 2, 3345);
        Campo[CodArtigo]->setFocus(Qt::OtherFocusReason);
        return;
    }
    QStringList valores;
    for (int c = 0; c < NumCampos; ++c) {
        oka_input* campo = Campo[std::size_t(c)];
        const bool medida = c == Comprimento || c == Largura || c == Quantidade;
        // The grid keeps the exact value of a measure and shows it formatted.
        const auto n = medida ? Valor(campo) : std::nullopt;
        valores << (n ? n->toString() : medida ? SemGrupos(campo->text()) : campo->text());
        campo->clear();
    }
    CMGRmat->AdicionarLinha(valores);
    Campo[CodArtigo]->setFocus(Qt::OtherFocusReason);
}

void PainelConsumo::LinhaTocada(int linha)
{
    if (!m_operador || linha < 0 || linha >= CMGRmat->Linhas()) return;
    const QString artigo = CMGRmat->Texto(linha, GrelhaConsumo::Artigo);
    if (m_operador->Confirmacao(QStringLiteral("Retirar da lista a linha do artigo %1 ?").arg(artigo), 1, 3345))
        CMGRmat->removeRow(linha);
}

void PainelConsumo::btCMConf_Click()
{
    // A second touch while the first is still posting (dialogs run their own event loop) is
    // ignored, so the list goes to the ERP once.
    if (m_aConfirmar || !ValidarCampoActivo()) return;
    m_aConfirmar = true;
    struct Fim
    {
        bool& f;
        ~Fim() { f = false; }
    } fim{m_aConfirmar};

    const QDateTime quando = QDateTime::currentDateTime();
    OperadorDoLancamento operador(m_operador);
    auto GravaKOva = std::make_unique<cl_GravaKova>();
    GravaKOva->setBd(m_ligacao);
    GravaKOva->setLigKova(m_ligKova);
    GravaKOva->setOperador(&operador);

    const int n = CMGRmat->Linhas();
    if (n == 0) {
        Campo[CodArtigo]->setFocus(Qt::OtherFocusReason);
        return;
    }
    QStringList artigos(n + 1), lotes(n + 1), comprimentos(n + 1), larguras(n + 1), descricoes(n + 1), armazens(n + 1);
    QList<double> quantidades(n + 1, 0.0), precos(n + 1, 0.0);
    for (int i = 1; i <= n; ++i) {
        const int r = i - 1;
        artigos[i] = CMGRmat->Texto(r, GrelhaConsumo::Artigo);
        const Currency quantidade = Numero(CMGRmat->Texto(r, GrelhaConsumo::Quantidade)).value_or(Currency());
        quantidades[i] = quantidade.toDouble();
        lotes[i] = CMGRmat->Texto(r, GrelhaConsumo::Lote);
        comprimentos[i] = CMGRmat->Texto(r, GrelhaConsumo::Comprimento);
        larguras[i] = CMGRmat->Texto(r, GrelhaConsumo::Largura);
        descricoes[i] = CMGRmat->Texto(r, GrelhaConsumo::Descricao);
        QString mensagem, armazem;
        if (!m_eqp->ExisteQuantidadeNoArmazem(artigos[i].trimmed(), quantidade, mensagem, armazem)) {
            MensagemErro(mensagem);
            emit Confirmado(quando, mensagem);
            return;
        }
        armazens[i] = armazem;
    }
    QString processo = m_eqp->aNumeroProcessoDaOrdem(m_obra);
    QString obra = m_obra;
    const bool gravou = GravaKOva->GravaSaidas(artigos, quantidades, precos, lotes, processo, obra, comprimentos,
                                               larguras, descricoes, armazens);
    const ResultadoMovimento documento = GravaKOva->documento();
    GravaKOva.reset();
    emit Confirmado(quando, gravou ? QStringLiteral("Documento %1 %2/%3 nº %4 lançado (%5 %6)")
                                         .arg(documento.TipoDoc)
                                         .arg(documento.Serie)
                                         .arg(documento.Ano)
                                         .arg(documento.NumeroDocumento)
                                         .arg(n)
                                         .arg(n == 1 ? QStringLiteral("artigo") : QStringLiteral("artigos"))
                                   : operador.mensagens.join(QStringLiteral("\r\n")));
    if (gravou) {
        CMGRmat->setRowCount(0);
        emit Lancado(QStringLiteral("Documento %1 %2/%3 nº %4 lançado — %5 %6, obra %7")
                         .arg(documento.TipoDoc)
                         .arg(documento.Serie)
                         .arg(documento.Ano)
                         .arg(documento.NumeroDocumento)
                         .arg(n)
                         .arg(n == 1 ? QStringLiteral("artigo") : QStringLiteral("artigos"))
                         .arg(m_obra));
        emit Terminou();
    }
}

void PainelConsumo::btCMSair_Click()
{
    CMGRmat->setRowCount(0);
    emit Terminou();
}
