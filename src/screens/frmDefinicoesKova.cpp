#include "screens/frmDefinicoesKova.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/Ecra.h"
#include "controls/Fontes.h"
#include "controls/TecladoNoCampo.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"

frmDefinicoesKova::frmDefinicoesKova(const ValoresKova& valores, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Ligação ao ERP"));
    setModal(true);
    setFont(FonteTerminal(12));

    txtPercursoWindows = new QLineEdit(valores.PercursoWindows, this);
    txtPercursoLog = new QLineEdit(valores.PercursoLog, this);
    txtEmpresa = new QLineEdit(valores.Empresa, this);
    txtUtilizador = new QLineEdit(valores.UtilizadorKova, this);
    txtPassword = new QLineEdit(valores.PasswordKova, this);
    txtPassword->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Percurso Windows"), txtPercursoWindows);
    form->addRow(QStringLiteral("Percurso Log"), txtPercursoLog);
    form->addRow(QStringLiteral("Empresa"), txtEmpresa);
    form->addRow(QStringLiteral("Utilizador"), txtUtilizador);
    form->addRow(QStringLiteral("Palavra Passe"), txtPassword);
    form->setVerticalSpacing(Twips::Px(90));
    // Touch-sized rows; a touch on a field opens the on-screen keyboard, captioned with its label.
    for (auto [campo, titulo] :
         {std::pair{txtPercursoWindows, QStringLiteral("Percurso Windows")},
          std::pair{txtPercursoLog, QStringLiteral("Percurso Log")}, std::pair{txtEmpresa, QStringLiteral("Empresa")},
          std::pair{txtUtilizador, QStringLiteral("Utilizador")},
          std::pair{txtPassword, QStringLiteral("Palavra Passe")}}) {
        campo->setMinimumHeight(Twips::Px(600));
        TecladoNoCampo(campo, titulo);
    }

    btGravar = new QPushButton(QStringLiteral("Gravar"), this);
    btCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    auto* botoes = new QHBoxLayout;
    botoes->setSpacing(Twips::Px(120));
    botoes->addStretch();
    for (QPushButton* b : {btGravar, btCancelar}) {
        b->setMinimumSize(Twips::Px(1335), Twips::Px(795));
        b->setAutoDefault(false);
        botoes->addWidget(b);
    }
    // Caption and edge drawn by the dialog: a kiosk has no window manager.
    auto* layout = TituloDialogo::Disposicao(this);
    layout->addLayout(form);
    layout->addLayout(botoes);
    setMinimumWidth(Twips::Px(9600));

    connect(btGravar, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

void frmDefinicoesKova::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    CentrarNoEcra(this);
}

ValoresKova frmDefinicoesKova::valores() const
{
    return ValoresKova{txtPercursoWindows->text(), txtPercursoLog->text(), txtEmpresa->text(), txtUtilizador->text(),
                       txtPassword->text()};
}
