#include "erp/AbrirLigacaoKova.h"

#include "base/InteraccaoOperador.h"
#include "base/PastaPrograma.h"
#include "erp/DefinicoesKova.h"
#include "erp/LigacaoKovaBD.h"

std::unique_ptr<LigacaoKova> CriarLigacaoKova()
{
    return std::make_unique<LigacaoKovaBD>();
}

bool AbrirLigacaoKova(std::unique_ptr<LigacaoKova>& link, const QString& ficheiroConfiguracao,
                      InteraccaoOperador* operador, LigacaoDados* bd, QString* mensagem)
{
    ValoresKova v;
    {
        DefinicoesKova definicoes(CaminhoConfiguracao(ficheiroConfiguracao));
        v = definicoes.Valores();
        // Missing means exactly empty; the log folder is optional.
        if (v.PercursoWindows.isEmpty() || v.Empresa.isEmpty() || v.UtilizadorKova.isEmpty() ||
            v.PasswordKova.isEmpty()) {
            definicoes.EditarDefinicoes(operador);
            v = definicoes.Valores();
        }
    }

    link = CriarLigacaoKova();
    link->setModo(2);
    if (bd) link->setBaseDados(bd);
    if (link->Ligar(v.PercursoWindows, v.PercursoLog, v.Empresa, v.UtilizadorKova, v.PasswordKova)) return true;

    const QString texto = QStringList{QStringLiteral("Não foi possível ligar ao Tarn !"),
                                      QStringLiteral("Percurso Windows ") + v.PercursoWindows,
                                      QStringLiteral("Percurso Log ") + v.PercursoLog,
                                      QStringLiteral("Empresa ") + v.Empresa,
                                      QStringLiteral("User ") + v.UtilizadorKova,
                                      QStringLiteral("Password ") + QString(v.PasswordKova.size(), u'*')}
                              .join(QStringLiteral("\r\n"));
    if (mensagem) *mensagem = texto;
    if (operador) operador->Aviso(texto, 0, 3345);
    return false;
}
