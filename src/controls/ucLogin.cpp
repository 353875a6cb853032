#include "controls/ucLogin.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "base/InteraccaoOperador.h"
#include "controls/Fontes.h"
#include "controls/Twips.h"
#include "engine/cl_Funcionarios.h"

namespace {

struct DesenhoTecla
{
    int indice;
    QString legenda;
    int left, top, width, height;
};

QList<DesenhoTecla> Desenho()
{
    QList<DesenhoTecla> t;
    t << DesenhoTecla{0, QStringLiteral("|<-->|"), 120, 240, 1035, 1035};
    const QString numeros = QStringLiteral("1234567890");
    for (int k = 0; k < 10; ++k)
        t << DesenhoTecla{1 + k, QStringLiteral("&") + numeros[k], 1200 + 1080 * k, 240, 1035, 1035};
    t << DesenhoTecla{ucLogin::TeclaApagar, QStringLiteral("<--"), 12000, 240, 1875, 1035};
    const QString linha1 = QStringLiteral("QWERTYUIOP");
    for (int k = 0; k < 10; ++k)
        t << DesenhoTecla{29 + k, QStringLiteral("&") + linha1[k], 1440 + 1080 * k, 1320, 1035, 1035};
    t << DesenhoTecla{ucLogin::TeclaEnter, QStringLiteral("<--|"), 12480, 1320, 1395, 2115};
    const QString linha2 = QStringLiteral("ASDFGHJKLÇ");
    for (int k = 0; k < 10; ++k)
        t << DesenhoTecla{12 + k, QStringLiteral("&") + linha2[k], 1680 + 1080 * k, 2400, 1035, 1035};
    t << DesenhoTecla{ucLogin::TeclaSair, QStringLiteral("Sair"), 120, 3480, 1035, 1035};
    const QString linha3 = QStringLiteral("ZXCVBNM");
    for (int k = 0; k < 7; ++k)
        t << DesenhoTecla{22 + k, QStringLiteral("&") + linha3[k], 2040 + 1080 * k, 3480, 1035, 1035};
    t << DesenhoTecla{ucLogin::TeclaEspaco, QStringLiteral("ESPAÇO"), 9600, 3480, 4275, 1035};
    return t;
}

} // namespace

ucLogin::ucLogin(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ucLogin"));
    resize(Twips::Px(14265), Twips::Px(5745));
    setAutoFillBackground(true);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setFont(FonteTerminal(21.75));
    Combo1->setGeometry(Twips::Px(240), Twips::Px(120), Twips::Px(6735), Twips::Px(735));

    Label1 = new QLabel(QStringLiteral("PASSWORD"), this);
    Label1->setFont(FonteTerminal(20.25));
    Label1->setGeometry(Twips::Rect(7080, 120, 2415, 735));
    Label1->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setEchoMode(QLineEdit::Password);
    // The password shows as "*", whatever the style's own mask character.
    Text1->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    Text1->setFont(FonteTerminal(27.75, true));
    Text1->setGeometry(Twips::Rect(9600, 120, 4575, 735));
    // With a keyboard attached, Enter in the password field is the enter key.
    connect(Text1, &QLineEdit::returnPressed, this, [this] { TocarTecla(TeclaEnter); });

    Frame1 = new QGroupBox(QStringLiteral("Teclado"), this);
    Frame1->setGeometry(Twips::Rect(240, 1080, 13935, 4575));
    Frame1->setAutoFillBackground(true);
    CriarTeclado();

    m_backColor = palette().color(QPalette::Button);
    m_foreColor = palette().color(QPalette::ButtonText);
    m_relogio = [] { return QDateTime::currentDateTime(); };
    AplicarCores();
}

void ucLogin::CriarTeclado()
{
    for (const DesenhoTecla& t : Desenho()) {
        auto* b = new QPushButton(t.legenda, Frame1);
        b->setObjectName(QStringLiteral("btAlfa%1").arg(t.indice));
        b->setGeometry(Twips::Rect(t.left, t.top, t.width, t.height));
        // Long captions get a smaller type so that they fit the key.
        const bool longa = t.indice == TeclaSair || t.indice == 0;
        b->setFont(FonteTerminal(longa ? 12 : 20.25, true));
        // Keys never take the focus: the password field keeps it while typing.
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        // Index 0 and the space bar are part of the design but not offered to the operator.
        if (t.indice == 0 || t.indice == TeclaEspaco) b->setEnabled(false);
        const int indice = t.indice;
        connect(b, &QPushButton::clicked, this, [this, indice] { TocarTecla(indice); });
        btAlfa[std::size_t(t.indice)] = b;
    }
}

void ucLogin::setBackColor(const QColor& cor)
{
    m_backColor = cor;
    AplicarCores();
}

void ucLogin::setForeColor(const QColor& cor)
{
    m_foreColor = cor;
    AplicarCores();
}

void ucLogin::AplicarCores()
{
    QPalette p = palette();
    p.setColor(QPalette::Window, m_backColor);
    p.setColor(QPalette::WindowText, m_foreColor);
    setPalette(p);
    QPalette pf = Frame1->palette();
    pf.setColor(QPalette::Window, m_backColor);
    pf.setColor(QPalette::WindowText, m_foreColor);
    Frame1->setPalette(pf);
}

void ucLogin::Refresh()
{
    AplicarCores();
    update();
}

bool ucLogin::IntroduzirNome(const QString& Nome)
{
    Combo1->setEditText(Nome);
    Text1->setFocus(Qt::OtherFocusReason);
    return true;
}

bool ucLogin::ObterUtilizador(QString&, QString&, qint16&)
{
    Combo1->clear();
    Combo1->setEditText(QString());
    Text1->clear();
    CarregarLista();
    return false;
}

void ucLogin::Reset()
{
    Text1->clear();
}

void ucLogin::CarregarLista()
{
    if (!m_ligacao) return;
    cl_Funcionarios f;
    f.setBd_lig(m_ligacao);
    const Registos lista = f.Lista_Funcionarios();
    const QString escrito = Combo1->currentText();
    Combo1->clear();
    for (const Registos::Linha l : lista)
        Combo1->addItem(l.texto(QStringLiteral("Codigo")) + QLatin1Char('-') + l.texto(QStringLiteral("Nome")));
    Combo1->setEditText(escrito);
}

void ucLogin::TocarTecla(int indice)
{
    const auto corpo = [this, indice] { Tecla(indice); };
    if (m_protector) {
        m_protector(QStringLiteral("btAlfa_Click"), corpo);
        return;
    }
    try {
        corpo();
    } catch (const std::exception& e) {
        if (m_operador)
            m_operador->MensagemSistema(
                QStringLiteral("Erro (%1)\r\nNa função btAlfa_Click do ucLogin").arg(QString::fromUtf8(e.what())), 2);
    }
}

void ucLogin::Tecla(int indice)
{
    if (indice < 0 || indice >= NumTeclas) return;
    Text1->setText(Text1->text().trimmed());
    switch (indice) {
    case TeclaApagar:
        Text1->setText(Text1->text().left(Text1->text().size() - 1));
        break;
    case TeclaEnter: {
        QString codigo, nome;
        qint16 nivel = 0;
        if (Verificar(codigo, nome, nivel)) {
            emit EscolheuUtilizador(codigo, nome, nivel);
            return;
        }
        Text1->end(false);
        break;
    }
    case TeclaEspaco:
        Text1->setText(Text1->text() + QLatin1Char(' '));
        break;
    case TeclaSair:
        emit Sair();
        return;
    default:
        Text1->setText(Text1->text() + btAlfa[std::size_t(indice)]->text().remove(QLatin1Char('&')));
        break;
    }
    Text1->setFocus(Qt::OtherFocusReason);
}

void ucLogin::Mensagem(const QString& texto)
{
    if (m_operador) m_operador->Aviso(texto, 2, 3345);
}

bool ucLogin::Verificar(QString& codigo, QString& nome, qint16& nivel)
{
    const QString funcionario = Combo1->currentText();
    if (funcionario.isEmpty()) {
        Mensagem(QStringLiteral("Deve indicar o funcionario !"));
        Combo1->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (Text1->text().isEmpty()) {
        Mensagem(QStringLiteral("Deve indicar a palavra passe !"));
        Text1->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const auto recusar = [this](const QString& quem, const QString& mensagem) {
        emit Recusado(quem, mensagem);
        Mensagem(mensagem);
    };
    cl_Funcionarios f;
    f.setBd_lig(m_ligacao);
    f.Codigo = funcionario.section(QLatin1Char('-'), 0, 0);
    if (!f.Ler()) {
        recusar(funcionario, QStringLiteral("O Funcionario não existe !"));
        return false;
    }

    // Counted per employee as found, not per spelling: where the database ignores case or
    // trailing blanks, "F1", "f1" and "F1 " are the same employee.
    const QString chave = f.CodigoLido.isEmpty() ? f.Codigo : f.CodigoLido;
    const QString quem = chave + QLatin1Char('-') + f.Nome;
    TentativasLogin::Estado t = m_tentativas.ler(chave);
    const QDateTime agora = m_relogio();
    if (t.bloqueadoAte.isValid() && agora.secsTo(t.bloqueadoAte) > SegundosBloqueio) {
        // The clock was set back: the lock still ends SegundosBloqueio from now at the latest.
        t.bloqueadoAte = agora.addSecs(SegundosBloqueio);
        m_tentativas.gravar(chave, t);
    }
    if (t.bloqueadoAte.isValid() && agora < t.bloqueadoAte) {
        const qint64 faltam = qMax<qint64>(1, (agora.msecsTo(t.bloqueadoAte) + 999) / 1000);
        Text1->clear();
        recusar(quem, QStringLiteral("Demasiadas palavras passe erradas seguidas para este funcionário.\n"
                                     "Tente de novo dentro de %1 %2.")
                          .arg(faltam)
                          .arg(faltam == 1 ? QStringLiteral("segundo") : QStringLiteral("segundos")));
        return false;
    }

    if (!f.VerificarSenha(Text1->text())) {
        codigo.clear();
        nome.clear();
        nivel = 0;
        QString mensagem = QStringLiteral("Palavra passe errada !");
        if (++t.falhas >= TentativasAteBloqueio) {
            t.falhas = 0;
            t.bloqueadoAte = agora.addSecs(SegundosBloqueio);
            Text1->clear();
            mensagem = QStringLiteral("Palavra passe errada !\nO funcionário fica bloqueado durante %1 segundos "
                                      "após %2 tentativas erradas seguidas.")
                           .arg(SegundosBloqueio)
                           .arg(TentativasAteBloqueio);
        }
        m_tentativas.gravar(chave, t);
        recusar(quem, mensagem);
        return false;
    }
    if (t.falhas != 0 || t.bloqueadoAte.isValid()) m_tentativas.gravar(chave, {});
    codigo = chave;
    nome = f.Nome;
    nivel = f.Nivel;
    return true;
}
