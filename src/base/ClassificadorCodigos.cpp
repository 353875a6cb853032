#include "base/ClassificadorCodigos.h"

ClassificadorCodigos::ClassificadorCodigos()
{
    for (TipoCodigo t : Tipos)
        m_prefixos[std::size_t(indice(t))] = PrefixoPadrao(t);
}

int ClassificadorCodigos::indice(TipoCodigo tipo)
{
    switch (tipo) {
    case TipoCodigo::Funcionario:
        return 0;
    case TipoCodigo::Obra:
        return 1;
    case TipoCodigo::Operacao:
        return 2;
    case TipoCodigo::Maquina:
        return 3;
    case TipoCodigo::Artigo:
        return 4;
    case TipoCodigo::Desconhecido:
        break;
    }
    return -1;
}

QString ClassificadorCodigos::PrefixoPadrao(TipoCodigo tipo)
{
    switch (tipo) {
    case TipoCodigo::Funcionario:
        return QStringLiteral("FU");
    case TipoCodigo::Obra:
        return QStringLiteral("OB");
    case TipoCodigo::Operacao:
        return QStringLiteral("OP");
    case TipoCodigo::Maquina:
        return QStringLiteral("MQ");
    case TipoCodigo::Artigo:
        return QStringLiteral("AR");
    case TipoCodigo::Desconhecido:
        break;
    }
    return QString();
}

QString ClassificadorCodigos::NomeTipo(TipoCodigo tipo)
{
    switch (tipo) {
    case TipoCodigo::Funcionario:
        return QStringLiteral("funcionário");
    case TipoCodigo::Obra:
        return QStringLiteral("obra");
    case TipoCodigo::Operacao:
        return QStringLiteral("operação");
    case TipoCodigo::Maquina:
        return QStringLiteral("máquina");
    case TipoCodigo::Artigo:
        return QStringLiteral("artigo");
    case TipoCodigo::Desconhecido:
        break;
    }
    return QStringLiteral("desconhecido");
}

QString ClassificadorCodigos::prefixo(TipoCodigo tipo) const
{
    const int i = indice(tipo);
    return i < 0 ? QString() : m_prefixos[std::size_t(i)];
}

void ClassificadorCodigos::setPrefixo(TipoCodigo tipo, const QString& prefixo)
{
    const int i = indice(tipo);
    if (i >= 0) m_prefixos[std::size_t(i)] = prefixo;
}

CodigoLido ClassificadorCodigos::Classificar(const QString& lido) const
{
    CodigoLido r;
    r.lido = lido.trimmed();
    qsizetype melhor = 0;
    for (TipoCodigo t : Tipos) {
        const QString& p = m_prefixos[std::size_t(indice(t))];
        if (p.isEmpty() || p.size() <= melhor || r.lido.size() <= p.size()) continue;
        if (!r.lido.startsWith(p, Qt::CaseInsensitive)) continue;
        melhor = p.size();
        r.tipo = t;
        r.codigo = r.lido.mid(p.size());
    }
    return r;
}

QString ClassificadorCodigos::Codificar(TipoCodigo tipo, const QString& codigo) const
{
    return prefixo(tipo) + codigo;
}

QString ClassificadorCodigos::Conflito() const
{
    for (TipoCodigo a : Tipos) {
        const QString& pa = prefixo(a);
        if (pa.isEmpty()) return QStringLiteral("o prefixo de %1 está vazio").arg(NomeTipo(a));
        for (TipoCodigo b : Tipos) {
            if (a == b) continue;
            const QString& pb = prefixo(b);
            if (pb.compare(pa, Qt::CaseInsensitive) == 0)
                return QStringLiteral("os prefixos de %1 e de %2 são iguais (\"%3\")")
                    .arg(NomeTipo(a), NomeTipo(b), pa);
            if (!pb.isEmpty() && pb.startsWith(pa, Qt::CaseInsensitive))
                return QStringLiteral("o prefixo de %1 (\"%2\") começa o de %3 (\"%4\")")
                    .arg(NomeTipo(a), pa, NomeTipo(b), pb);
        }
    }
    return QString();
}
