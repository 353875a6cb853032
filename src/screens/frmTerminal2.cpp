#include "screens/frmTerminal2.h"

#include "app/InteraccaoOperador.h"
#include "erp/LigacaoKova.h"

frmTerminal2::frmTerminal2(QWidget* parent) : EcraTerminal(parent) {}

frmTerminal2::~frmTerminal2()
{
    if (m_ligKova) m_ligKova->Desligar();
    m_ligKova.reset();
}

void frmTerminal2::setLigKova(std::unique_ptr<LigacaoKova> link)
{
    m_ligKova = std::move(link);
}

void frmTerminal2::CarregaEcra()
{
    CarregaPainelBase();
    CarregaPainelHora();
    CarregaPainelInfo();
}

void frmTerminal2::Limpar(bool MudaUser)
{
    Limpar();
    ObraConsumo.clear();
    if (MudaUser) MudaUtilizador();
}

void frmTerminal2::Cancelar()
{
    Limpar(true);
}

void frmTerminal2::Sair()
{
    close();
}

void frmTerminal2::AntesDeDespachar()
{
    Utilizador = UtilizadorActual;
}

EcraTerminal::Despacho frmTerminal2::Despachar(const QString& codigo, bool& resultado, QString& mensagem)
{
    if (codigo == QLatin1String("AC009")) return Despacho::Desconhecida;
    if (codigo == QLatin1String("AC008")) {
        if (Obra > QString()) {
            ObraConsumo = Obra;
            MostraConsumo();
        } else {
            operador()->Aviso(QStringLiteral("Deve Indicar a Obra"), 2, AlturaDialogo);
        }
        return Despacho::Nenhum;
    }
    return DespacharComum(codigo, resultado, mensagem);
}

void frmTerminal2::AposMotor(const QString&, bool resultado, const QString& mensagem)
{
    if (resultado) {
        Limpar(true);
    } else {
        operador()->Aviso(mensagem, 2, AlturaDialogo);
        Limpar(false);
    }
}
