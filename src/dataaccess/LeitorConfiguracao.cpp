#include "dataaccess/LeitorConfiguracao.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

bool LeitorConfiguracao::carregar(QString* erro)
{
    m_entradas.clear();
    m_carregado = true;
    auto falha = [&](const QString& motivo) {
        if (erro)
            *erro = QStringLiteral("Ficheiro de configuração %1: %2").arg(m_ficheiro, motivo);
        m_entradas.clear();
        return false;
    };
    QFileInfo info(m_ficheiro);
    if (!info.exists())
        return falha(QStringLiteral("não existe."));
    if (info.size() > TamanhoMaximo)
        return falha(QStringLiteral("é demasiado grande (%1 bytes).").arg(info.size()));
    QFile f(m_ficheiro);
    if (!f.open(QIODevice::ReadOnly))
        return falha(QStringLiteral("não pode ser lido (%1).").arg(f.errorString()));
    QByteArray bytes = f.read(TamanhoMaximo + 1);
    if (bytes.contains('\0'))
        return falha(QStringLiteral("não é um ficheiro de texto."));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texto = utf8.decode(bytes);
    if (utf8.hasError())
        texto = QString::fromLatin1(bytes);

    QString seccao;
    int numero = 0;
    const QStringList linhas = texto.split(u'\n');
    for (QString linha : linhas) {
        ++numero;
        if (linha.endsWith(u'\r'))
            linha.chop(1);
        const QString t = linha.trimmed();
        Entrada e;
        if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#')) {
            e.linha = linha;
            if (numero == linhas.size() && t.isEmpty())
                break; // the file's final line end
        } else if (t.startsWith(u'[')) {
            if (!t.endsWith(u']') || t.size() < 3)
                return falha(QStringLiteral("linha %1 mal formada: %2").arg(numero).arg(t.left(60)));
            seccao = t.mid(1, t.size() - 2).trimmed();
            e.seccao = seccao;
            e.linha = linha;
        } else {
            // A value may be a password: the message names the line and at most the key.
            const int igual = int(t.indexOf(u'='));
            if (igual <= 0)
                return falha(QStringLiteral("linha %1 mal formada (falta \"chave=valor\").").arg(numero));
            if (seccao.isEmpty())
                return falha(QStringLiteral("linha %1: a chave \"%2\" está fora de uma secção.")
                                 .arg(numero)
                                 .arg(t.left(igual).trimmed().left(60)));
            e.seccao = seccao;
            e.chave = t.left(igual).trimmed();
            e.valor = t.mid(igual + 1).trimmed();
            if (e.valor.size() >= 2 && e.valor.startsWith(u'"') && e.valor.endsWith(u'"'))
                e.valor = e.valor.mid(1, e.valor.size() - 2);
        }
        m_entradas << e;
    }
    return true;
}

int LeitorConfiguracao::procurar(const QString& seccao, const QString& chave) const
{
    for (int i = 0; i < m_entradas.size(); ++i) {
        const Entrada& e = m_entradas[i];
        if (!e.chave.isEmpty() && e.seccao.compare(seccao, Qt::CaseInsensitive) == 0 &&
            e.chave.compare(chave, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString LeitorConfiguracao::Ler(const QString& seccao, const QString& chave)
{
    if (!m_carregado)
        carregar();
    const int i = procurar(seccao, chave);
    return i < 0 ? QString() : m_entradas[i].valor;
}

bool LeitorConfiguracao::existe(const QString& seccao, const QString& chave)
{
    if (!m_carregado)
        carregar();
    return procurar(seccao, chave) >= 0;
}

void LeitorConfiguracao::Escrever(const QString& seccao, const QString& chave, const QString& valor)
{
    if (!m_carregado)
        carregar();
    const int i = procurar(seccao, chave);
    if (i >= 0) {
        m_entradas[i].valor = valor;
        return;
    }
    // Append to the end of the section, creating it when needed.
    int fim = -1;
    for (int j = 0; j < m_entradas.size(); ++j)
        if (m_entradas[j].seccao.compare(seccao, Qt::CaseInsensitive) == 0)
            fim = j;
    Entrada e{seccao, chave, valor, {}};
    if (fim < 0) {
        m_entradas << Entrada{seccao, {}, {}, QStringLiteral("[%1]").arg(seccao)} << e;
    } else {
        m_entradas.insert(fim + 1, e);
    }
}

bool LeitorConfiguracao::gravar(QString* erro)
{
    QString texto;
    for (const Entrada& e : m_entradas) {
        if (!e.chave.isEmpty())
            texto += e.chave + QStringLiteral("=") + e.valor;
        else
            texto += e.linha;
        texto += QStringLiteral("\r\n");
    }
    QSaveFile f(m_ficheiro);
    if (!f.open(QIODevice::WriteOnly) || f.write(texto.toUtf8()) < 0 || !f.commit()) {
        if (erro)
            *erro = QStringLiteral("Ficheiro de configuração %1: não foi possível gravar (%2).")
                        .arg(m_ficheiro, f.errorString());
        return false;
    }
    return true;
}
