#include "dataaccess/LeitorConfiguracao.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include "base/ErroSistema.h"

namespace {

const QByteArray MarcaUtf8 = "\xEF\xBB\xBF";

// The reader trims values and strips one pair of enclosing quotes: quote a value that would
// otherwise not read back as written.
QString paraFicheiro(const QString& valor)
{
    const bool entreAspas = valor.size() >= 2 && valor.startsWith(u'"') && valor.endsWith(u'"');
    if (valor != valor.trimmed() || entreAspas) return u'"' + valor + u'"';
    return valor;
}

} // namespace

bool LeitorConfiguracao::carregar(QString* erro)
{
    m_entradas.clear();
    m_bom = false;
    m_latin1 = false;
    m_fimLinha = "\r\n";
    m_erroLeitura.clear();
    auto falha = [&](Estado estado, const QString& motivo) {
        m_entradas.clear();
        m_estado = estado;
        m_erroLeitura = QStringLiteral("Ficheiro de configuração %1: %2").arg(m_ficheiro, motivo);
        if (erro) *erro = m_erroLeitura;
        return false;
    };
    const QByteArray nome = QFile::encodeName(m_ficheiro);
    // Opened without waiting: a pipe would otherwise block until something writes to it.
    const int fd = ::open(nome.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int codigo = errno;
        struct stat ligacao
        {
        };
        if (codigo == ENOENT && ::lstat(nome.constData(), &ligacao) != 0)
            return falha(Estado::EmFalta, QStringLiteral("não existe."));
        if (codigo == ENOENT)
            return falha(Estado::Ilegivel, QStringLiteral("é uma ligação simbólica para um ficheiro que não existe."));
        return falha(Estado::Ilegivel, QStringLiteral("não pode ser lido (%1).").arg(TextoErroSistema(codigo)));
    }
    struct Fechar
    {
        int fd;
        ~Fechar() { ::close(fd); }
    } fechar{fd};
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0)
        return falha(Estado::Ilegivel, QStringLiteral("não pode ser lido (%1).").arg(TextoErroSistema(errno)));
    if (S_ISDIR(info.st_mode)) return falha(Estado::Ilegivel, QStringLiteral("é uma pasta, não um ficheiro."));
    if (!S_ISREG(info.st_mode))
        return falha(Estado::Ilegivel,
                     QStringLiteral("não é um ficheiro de texto normal (é um pipe, um dispositivo ou um socket)."));
    if (info.st_size > TamanhoMaximo)
        return falha(Estado::Ilegivel, QStringLiteral("é demasiado grande (%1 bytes).").arg(info.st_size));
    QByteArray bytes(TamanhoMaximo + 1, Qt::Uninitialized);
    qsizetype lidos = 0;
    while (lidos < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + lidos, size_t(bytes.size() - lidos));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            return falha(Estado::Ilegivel, QStringLiteral("não pode ser lido (%1).").arg(TextoErroSistema(errno)));
        if (n == 0) break;
        lidos += n;
    }
    bytes.truncate(lidos);
    if (lidos > TamanhoMaximo)
        return falha(Estado::Ilegivel, QStringLiteral("é demasiado grande (mais de %1 bytes).").arg(TamanhoMaximo));
    if (bytes.startsWith(MarcaUtf8)) {
        m_bom = true;
        bytes.remove(0, MarcaUtf8.size());
    }
    if (const qsizetype nulo = bytes.indexOf('\0'); nulo >= 0)
        return falha(Estado::Ilegivel, QStringLiteral("não é um ficheiro de texto (byte nulo na linha %1).")
                                           .arg(bytes.left(nulo).count('\n') + 1));
    // Decoded once only to learn whether the whole file is valid UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString comoUtf8 = utf8.decode(bytes);
    m_latin1 = utf8.hasError();

    QString seccao;
    int numero = 0;
    for (qsizetype pos = 0; pos < bytes.size();) {
        const qsizetype fim = bytes.indexOf('\n', pos);
        const qsizetype seguinte = fim < 0 ? bytes.size() : fim + 1;
        Entrada e;
        e.bruto = bytes.mid(pos, seguinte - pos);
        pos = seguinte;
        ++numero;
        if (numero == 1 && fim >= 0) m_fimLinha = e.bruto.endsWith("\r\n") ? "\r\n" : "\n";
        QByteArray conteudo = e.bruto;
        if (conteudo.endsWith('\n')) conteudo.chop(1);
        if (conteudo.endsWith('\r')) conteudo.chop(1);
        const QString linha = m_latin1 ? QString::fromLatin1(conteudo) : QString::fromUtf8(conteudo);
        const QString t = linha.trimmed();
        if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#')) {
            // comment or blank line
        } else if (t.startsWith(u'[')) {
            if (!t.endsWith(u']') || t.size() < 3)
                return falha(Estado::Ilegivel, QStringLiteral("linha %1 mal formada: %2").arg(numero).arg(t.left(60)));
            seccao = t.mid(1, t.size() - 2).trimmed();
            e.seccao = seccao;
        } else {
            // A value may be a password: the message names the line and at most the key.
            const int igual = int(linha.indexOf(u'='));
            const QString chave = igual < 0 ? QString() : linha.left(igual).trimmed();
            if (chave.isEmpty())
                return falha(Estado::Ilegivel,
                             QStringLiteral("linha %1 mal formada (falta \"chave=valor\").").arg(numero));
            if (seccao.isEmpty())
                return falha(Estado::Ilegivel, QStringLiteral("linha %1: a chave \"%2\" está fora de uma secção.")
                                                   .arg(numero)
                                                   .arg(chave.left(60)));
            e.seccao = seccao;
            e.chave = chave;
            int inicioValor = igual + 1;
            while (inicioValor < linha.size() && linha[inicioValor].isSpace())
                ++inicioValor;
            e.prefixo = linha.left(inicioValor);
            e.valor = linha.mid(igual + 1).trimmed();
            if (e.valor.size() >= 2 && e.valor.startsWith(u'"') && e.valor.endsWith(u'"'))
                e.valor = e.valor.mid(1, e.valor.size() - 2);
        }
        m_entradas << e;
    }
    m_estado = Estado::Lido;
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
    if (m_estado == Estado::PorLer) carregar();
    const int i = procurar(seccao, chave);
    return i < 0 ? QString() : m_entradas[i].valor;
}

bool LeitorConfiguracao::existe(const QString& seccao, const QString& chave)
{
    if (m_estado == Estado::PorLer) carregar();
    return procurar(seccao, chave) >= 0;
}

void LeitorConfiguracao::Escrever(const QString& seccao, const QString& chave, const QString& valor)
{
    if (m_estado == Estado::PorLer) carregar();
    if (m_estado == Estado::Ilegivel) return; // gravar() refuses
    const int i = procurar(seccao, chave);
    if (i >= 0) {
        Entrada& e = m_entradas[i];
        if (e.valor != valor) {
            e.valor = valor;
            e.alterada = true;
        }
        return;
    }
    // Append to the end of the section (after its last key), creating it when needed.
    int fim = -1;
    for (int j = 0; j < m_entradas.size(); ++j)
        if (m_entradas[j].seccao.compare(seccao, Qt::CaseInsensitive) == 0) fim = j;
    Entrada e;
    e.seccao = seccao;
    e.chave = chave;
    e.valor = valor;
    e.prefixo = chave + u'=';
    e.alterada = true;
    if (fim < 0) {
        Entrada cabecalho;
        cabecalho.seccao = seccao;
        cabecalho.alterada = true;
        m_entradas << cabecalho << e;
    } else {
        m_entradas.insert(fim + 1, e);
    }
}

QString LeitorConfiguracao::recusa() const
{
    return m_erroLeitura + QStringLiteral(" O ficheiro não foi alterado, para não se perder o que contém: corrija-o "
                                          "num editor de texto (ou apague-o, para ser criado de novo) e grave outra "
                                          "vez.");
}

bool LeitorConfiguracao::gravar(QString* erro)
{
    if (m_estado == Estado::PorLer) carregar();
    if (m_estado == Estado::Ilegivel) {
        if (erro) *erro = recusa();
        return false;
    }
    auto falha = [&](const QString& motivo) {
        if (erro) *erro = QStringLiteral("Ficheiro de configuração %1: %2").arg(m_ficheiro, motivo);
        return false;
    };
    QByteArray saida = m_bom ? MarcaUtf8 : QByteArray();
    bool faltaFimLinha = false;
    for (const Entrada& e : m_entradas) {
        if (faltaFimLinha) saida += m_fimLinha;
        if (!e.alterada) {
            saida += e.bruto;
            faltaFimLinha = !e.bruto.endsWith('\n');
            continue;
        }
        const QString linha = e.chave.isEmpty() ? u'[' + e.seccao + u']' : e.prefixo + paraFicheiro(e.valor);
        if (linha.contains(u'\n') || linha.contains(u'\r'))
            return falha(QStringLiteral("o valor de \"%1\" (secção \"%2\") não pode ter mudanças de linha; não foi "
                                        "gravado.")
                             .arg(e.chave, e.seccao));
        if (m_latin1) {
            for (const QChar c : linha)
                if (c.unicode() > 0xFF)
                    return falha(QStringLiteral("o valor de \"%1\" (secção \"%2\") tem caracteres que o ficheiro, "
                                                "escrito em Latin-1, não guarda; não foi gravado. Converta o ficheiro "
                                                "para UTF-8 ou use outro valor.")
                                     .arg(e.chave, e.seccao));
            saida += linha.toLatin1();
        } else {
            saida += linha.toUtf8();
        }
        saida += m_fimLinha;
        faltaFimLinha = false;
    }
    QSaveFile f(m_ficheiro);
    if (!f.open(QIODevice::WriteOnly))
        return falha(QStringLiteral("não foi possível gravar (%1).").arg(f.errorString()));
    // It may hold passwords: a new file is for its owner only. An existing one keeps its mode.
    if (m_estado == Estado::EmFalta && !f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return falha(QStringLiteral("não foi possível restringir as permissões (%1).").arg(f.errorString()));
    if (f.write(saida) != saida.size() || !f.commit())
        return falha(QStringLiteral("não foi possível gravar (%1).").arg(f.errorString()));
    m_estado = Estado::PorLer; // the next read sees the file as written
    return true;
}

bool LeitorConfiguracao::Gravavel(const QString& ficheiro, QString* erro)
{
    LeitorConfiguracao l(ficheiro);
    l.carregar();
    if (l.m_estado != Estado::Ilegivel) return true;
    if (erro) *erro = l.m_erroLeitura;
    return false;
}
