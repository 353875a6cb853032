#pragma once

#include <QDialog>

#include "dataaccess/DefinicoesBD.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Database-settings dialog: driver, server, port, database, user and password; tests the
// connection, creates the tables of a new database and stores the settings in the
// configuration file. What it reports never contains the password. Every field can be typed on
// the on-screen keyboard, which a touch on it opens.
class frmDefinicoesBD : public QDialog
{
    Q_OBJECT
public:
    frmDefinicoesBD(const DefinicoesBD& definicoes, const QString& bdSql, QWidget* parent = nullptr);

    // The settings as they stand in the fields (the file is the one given).
    DefinicoesBD definicoes() const;

    // The dialog's actions; each leaves its outcome in lbEstado.
    bool TestarLigacao();
    bool CriarBaseDados();
    // Writes the settings to the file and closes the dialog accepted.
    bool Gravar();

    QComboBox* cbDriver;
    QLineEdit* txtServidor;
    QLineEdit* txtPorta;
    QLineEdit* txtBaseDados;
    QLineEdit* txtUtilizador;
    QLineEdit* txtPassword;
    QLineEdit* txtDriverOdbc;
    QLabel* lbBaseDados;
    QLabel* lbEstado;
    QPushButton* btTestar;
    QPushButton* btCriar;
    QPushButton* btGravar;
    QPushButton* btCancelar;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void mudouDriver();
    void mostrarEstado(const QString& texto, bool erro);

    QString m_ficheiro;
    QString m_bdSql;
};
