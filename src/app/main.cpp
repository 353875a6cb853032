#include <exception>

#include <QApplication>

#include "app/mod_main.h"
#include "screens/EcraTerminal.h"
#include "screens/InteraccaoEcra.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Terminal"));
    InteraccaoEcra operador(nullptr);
    ResultadoMain arranque;
    try {
        arranque = Main(app.arguments().mid(1), &operador);
    } catch (const std::exception& e) {
        operador.MensagemSistema(QStringLiteral("Erro no arranque (%1)").arg(QString::fromUtf8(e.what())), 2);
        return 1;
    }
    if (!arranque.ecra) return arranque.codigoSaida;
    operador.setPai(arranque.ecra.get());
    const int codigo = app.exec();
    arranque.ecra.reset();
    return codigo;
}
