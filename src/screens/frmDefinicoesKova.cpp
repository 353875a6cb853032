#include "screens/frmDefinicoesKova.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/TituloDialogo.h"

frmDefinicoesKova::frmDefinicoesKova(const ValoresKova& valores, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Ligação ao ERP"));
    setModal(true);
    setFont(QFont(QStringLiteral("Verdana"), 12));

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

    btGravar = new QPushButton(QStringLiteral("Gravar"), this);
    btCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    for (QPushButton* b : {btGravar, btCancelar}) {
        b->setMinimumHeight(56);
        b->setAutoDefault(false);
        botoes->addWidget(b);
    }
    // Caption and edge drawn by the dialog: a kiosk has no window manager.
    auto* layout = TituloDialogo::Disposicao(this);
    layout->addLayout(form);
    layout->addLayout(botoes);
    setMinimumWidth(640);

    connect(btGravar, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

ValoresKova frmDefinicoesKova::valores() const
{
    return ValoresKova{txtPercursoWindows->text(), txtPercursoLog->text(), txtEmpresa->text(), txtUtilizador->text(),
                       txtPassword->text()};
}
