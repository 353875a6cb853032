#include "screens/frmDefinicoesBD.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/Ecra.h"
#include "controls/Fontes.h"
#include "controls/TecladoNoCampo.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"
#include "dataaccess/EsquemaBD.h"
#include "dataaccess/LigacaoDados.h"

namespace {

const QStringList Drivers{QStringLiteral("SQLite"), QStringLiteral("PostgreSQL"), QStringLiteral("ODBC")};

} // namespace

frmDefinicoesBD::frmDefinicoesBD(const DefinicoesBD& definicoes, const QString& bdSql, QWidget* parent)
    : QDialog(parent), m_ficheiro(definicoes.Ficheiro), m_bdSql(bdSql)
{
    setWindowTitle(QStringLiteral("Ligação ao Servidor SQL"));
    setModal(true);
    setFont(FonteTerminal(12));

    cbDriver = new QComboBox(this);
    cbDriver->addItems(Drivers);
    txtServidor = new QLineEdit(definicoes.Servidor, this);
    txtPorta = new QLineEdit(definicoes.Porta, this);
    txtBaseDados = new QLineEdit(definicoes.BaseDados, this);
    txtUtilizador = new QLineEdit(definicoes.Utilizador, this);
    txtPassword = new QLineEdit(definicoes.Password, this);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtDriverOdbc = new QLineEdit(definicoes.DriverOdbc, this);
    txtDriverOdbc->setPlaceholderText(QStringLiteral("vazio: Base de Dados é um DSN"));
    lbBaseDados = new QLabel(QStringLiteral("Base de Dados"), this);

    int indice = 0;
    for (int i = 0; i < Drivers.size(); ++i)
        if (Drivers[i].compare(definicoes.Driver, Qt::CaseInsensitive) == 0) indice = i;
    cbDriver->setCurrentIndex(indice);

    auto* form = new QFormLayout;
    form->setVerticalSpacing(Twips::Px(90));
    form->addRow(QStringLiteral("Driver"), cbDriver);
    form->addRow(QStringLiteral("Servidor"), txtServidor);
    form->addRow(QStringLiteral("Porta"), txtPorta);
    form->addRow(lbBaseDados, txtBaseDados);
    form->addRow(QStringLiteral("Utilizador"), txtUtilizador);
    form->addRow(QStringLiteral("Palavra Passe"), txtPassword);
    form->addRow(QStringLiteral("Driver ODBC"), txtDriverOdbc);
    // Touch-sized rows; a touch on a field opens the on-screen keyboard, captioned with its label.
    cbDriver->setMinimumHeight(Twips::Px(600));
    for (auto [campo, titulo] :
         {std::pair{txtServidor, QStringLiteral("Servidor")}, std::pair{txtPorta, QStringLiteral("Porta")},
          std::pair{txtUtilizador, QStringLiteral("Utilizador")},
          std::pair{txtPassword, QStringLiteral("Palavra Passe")},
          std::pair{txtDriverOdbc, QStringLiteral("Driver ODBC")}}) {
        campo->setMinimumHeight(Twips::Px(600));
        TecladoNoCampo(campo, titulo);
    }
    // "Ficheiro" for SQLite, "Base de Dados" for the servers, as its label says.
    txtBaseDados->setMinimumHeight(Twips::Px(600));
    TecladoNoCampo(txtBaseDados, [this] { return lbBaseDados->text(); });

    lbEstado = new QLabel(this);
    lbEstado->setWordWrap(true);
    lbEstado->setMinimumHeight(Twips::Px(1200));

    btTestar = new QPushButton(QStringLiteral("Testar Ligação"), this);
    btCriar = new QPushButton(QStringLiteral("Criar Base de Dados"), this);
    btGravar = new QPushButton(QStringLiteral("Gravar"), this);
    btCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    for (QPushButton* b : {btTestar, btCriar, btGravar, btCancelar}) {
        b->setMinimumSize(Twips::Px(1335), Twips::Px(795));
        b->setAutoDefault(false);
    }
    auto* botoes = new QHBoxLayout;
    botoes->setSpacing(Twips::Px(120));
    botoes->addWidget(btTestar);
    botoes->addWidget(btCriar);
    botoes->addStretch();
    botoes->addWidget(btGravar);
    botoes->addWidget(btCancelar);

    // Caption and edge drawn by the dialog: a kiosk has no window manager.
    auto* layout = TituloDialogo::Disposicao(this);
    layout->addLayout(form);
    layout->addWidget(lbEstado);
    layout->addLayout(botoes);
    setMinimumWidth(Twips::Px(10800));

    connect(cbDriver, &QComboBox::currentIndexChanged, this, [this] { mudouDriver(); });
    connect(btTestar, &QPushButton::clicked, this, [this] { TestarLigacao(); });
    connect(btCriar, &QPushButton::clicked, this, [this] { CriarBaseDados(); });
    connect(btGravar, &QPushButton::clicked, this, [this] { Gravar(); });
    connect(btCancelar, &QPushButton::clicked, this, &QDialog::reject);
    mudouDriver();
}

void frmDefinicoesBD::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    CentrarNoEcra(this);
}

DefinicoesBD frmDefinicoesBD::definicoes() const
{
    DefinicoesBD d(m_ficheiro);
    d.Driver = cbDriver->currentText();
    d.Servidor = txtServidor->text().trimmed();
    d.Porta = txtPorta->text().trimmed();
    d.BaseDados = txtBaseDados->text().trimmed();
    d.Utilizador = txtUtilizador->text().trimmed();
    d.Password = txtPassword->text();
    d.DriverOdbc = txtDriverOdbc->text().trimmed();
    return d;
}

void frmDefinicoesBD::mudouDriver()
{
    const QString driver = cbDriver->currentText();
    const bool sqlite = driver == QLatin1String("SQLite");
    txtServidor->setEnabled(!sqlite);
    txtPorta->setEnabled(!sqlite);
    txtUtilizador->setEnabled(!sqlite);
    txtPassword->setEnabled(!sqlite);
    txtDriverOdbc->setEnabled(driver == QLatin1String("ODBC"));
    lbBaseDados->setText(sqlite ? QStringLiteral("Ficheiro") : QStringLiteral("Base de Dados"));
}

void frmDefinicoesBD::mostrarEstado(const QString& texto, bool erro)
{
    lbEstado->setStyleSheet(erro ? QStringLiteral("color: #b00000;") : QStringLiteral("color: #006000;"));
    lbEstado->setText(texto);
}

bool frmDefinicoesBD::TestarLigacao()
{
    const DefinicoesBD d = definicoes();
    if (d.faltamDefinicoes()) {
        mostrarEstado(QStringLiteral("Faltam definições: indique o servidor, a base de dados e o utilizador."), true);
        return false;
    }
    const ParametrosLigacao p = d.CadeiaLigacao();
    // Opening an SQLite file that does not exist would create it: only "Criar" may do that.
    if (p.driver == QLatin1String("QSQLITE") && !QFileInfo::exists(p.baseDados)) {
        mostrarEstado(QStringLiteral("O ficheiro %1 não existe.").arg(p.baseDados), true);
        return false;
    }
    LigacaoDados ligacao;
    QString erro;
    if (!ligacao.Abrir(p, &erro)) {
        mostrarEstado(erro, true);
        return false;
    }
    if (EsquemaBD::Existe(ligacao))
        mostrarEstado(QStringLiteral("Ligação estabelecida (%1).").arg(p.descricao()), false);
    else
        mostrarEstado(QStringLiteral("Ligação estabelecida, mas a base de dados não tem as tabelas do terminal."),
                      true);
    return true;
}

bool frmDefinicoesBD::CriarBaseDados()
{
    const DefinicoesBD d = definicoes();
    if (d.faltamDefinicoes()) {
        mostrarEstado(QStringLiteral("Faltam definições: indique o servidor, a base de dados e o utilizador."), true);
        return false;
    }
    LigacaoDados ligacao;
    QString erro;
    ParametrosLigacao p = d.CadeiaLigacao();
    p.criarFicheiro = true; // the one place of the dialog that may create a SQLite file
    if (!ligacao.Abrir(p, &erro)) {
        mostrarEstado(erro, true);
        return false;
    }
    if (EsquemaBD::Existe(ligacao)) {
        mostrarEstado(QStringLiteral("A base de dados já tem as tabelas; nada foi alterado."), true);
        return false;
    }
    try {
        // The catalogue script is the SQLite schema; the other servers get their own dialect.
        QFile script(m_bdSql);
        if (ligacao.dialecto() == Dialecto::SQLite && script.open(QIODevice::ReadOnly)) {
            const QString texto = QString::fromUtf8(script.readAll());
            ligacao.transacao([&] { ligacao.executarScript(texto); });
        } else {
            EsquemaBD::Criar(ligacao);
        }
    } catch (const ErroBD& e) {
        mostrarEstado(QStringLiteral("Não foi possível criar as tabelas: %1").arg(e.texto()), true);
        return false;
    }
    mostrarEstado(QStringLiteral("Base de dados criada."), false);
    return true;
}

bool frmDefinicoesBD::Gravar()
{
    QString erro;
    if (!definicoes().Gravar(&erro)) {
        mostrarEstado(erro, true);
        return false;
    }
    accept();
    return true;
}
