#include "app/Arranque.h"
#include "app/Rotinas.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString ficheiro = Arranque::FicheiroConfiguracao(app.arguments().mid(1));
    LigacaoDados bd;
    QString erro;
    QTextStream out(stdout);
    if (Arranque::AbrirBaseDados(ficheiro, bd, nullptr, &erro) != Arranque::Resultado::Aberta) {
        QTextStream(stderr) << erro << "\n";
        return 1;
    }
    const qint16 tipo = Arranque::TipoTerminal(ficheiro);
    out << "Ligado: " << bd.parametros().descricao() << "\n";
    out << "Tipo de Terminal " << tipo << ": " << (tipo == 0 ? "frmTerminal" : "frmTerminal2") << "\n";
    return 0;
}
