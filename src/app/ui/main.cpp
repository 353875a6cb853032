#include <QApplication>

#include "app/ui/mod_main.h"
#include "screens/EcraTerminal.h"
#include "screens/InteraccaoEcra.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Terminal"));
    InteraccaoEcra operador(nullptr);
    ResultadoMain arranque = Main(app.arguments().mid(1), &operador);
    if (!arranque.ecra) return arranque.codigoSaida;
    operador.setPai(arranque.ecra.get());
    const int codigo = app.exec();
    arranque.ecra.reset();
    return codigo;
}
