#pragma once
// A TCP proxy on loopback that holds every chunk of bytes for half a round trip in each direction
// before passing it on, as a network of that latency would (no bandwidth limit, order kept), and
// follows each connection's PostgreSQL protocol (ProtocoloPg.hpp) as the bytes reach it. One
// thread serves every connection with ppoll (nanosecond timeouts: a 0.5 ms hold stays 0.5 ms).
// It can also play a network that fails: refuse every connection for a while (a server out of
// reach), or cut a connection at its next COMMIT, before the server gets it or after the server
// answered it (the answer lost). Header only.

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <list>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QByteArray>
#include <QString>

#include "ProtocoloPg.hpp"

namespace bench {

class ProxyAtraso
{
public:
    using Relogio = std::chrono::steady_clock;

    enum class Corte { Nenhum, AntesDoCommit, DepoisDoCommit };

    // Connections go on to destino:porta (an IPv4 address; the proxy itself listens on 127.0.0.1).
    ProxyAtraso(QString destino, int porta) : m_destino(std::move(destino)), m_portaDestino(porta) {}
    ~ProxyAtraso() { parar(); }
    ProxyAtraso(const ProxyAtraso&) = delete;
    ProxyAtraso& operator=(const ProxyAtraso&) = delete;

    // Listens on a free loopback port and starts the thread; false with the reason in `erro`.
    bool iniciar(QString* erro = nullptr)
    {
        auto falha = [&](const char* o) {
            if (erro)
                *erro = QStringLiteral("%1: %2").arg(QLatin1String(o), QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        };
        m_escuta = escutar(0);
        if (m_escuta < 0) return falha("listen");
        sockaddr_in a{};
        socklen_t tam = sizeof a;
        if (::getsockname(m_escuta, reinterpret_cast<sockaddr*>(&a), &tam) != 0) return falha("getsockname");
        m_porta = ntohs(a.sin_port);
        if (::pipe2(m_acordar, O_CLOEXEC | O_NONBLOCK) != 0) return falha("pipe");
        m_correr = true;
        m_fio = std::thread([this] { ciclo(); });
        return true;
    }

    void parar()
    {
        if (m_fio.joinable()) {
            m_correr = false;
            acordar();
            m_fio.join();
        }
        for (auto& l : m_ligacoes)
            fecharLigacao(l);
        m_ligacoes.clear();
        for (int* fd : {&m_escuta, &m_acordar[0], &m_acordar[1]})
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
    }

    int porta() const { return m_porta; }

    // While true the port refuses connections and the open ones are cut (a server out of
    // reach); false listens again on the same port. Returns once the proxy has done it.
    void recusar(bool sim)
    {
        m_recusar = sim;
        acordar();
        while (m_recusando.load() != sim && m_fio.joinable())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    // Cuts the connection that sends the next COMMIT: before the server gets it (the transaction
    // is rolled back when the server sees the connection go) or once the server answered it (the
    // work is committed and the answer never reaches the client). Once. With `depoisRecusar` the
    // port then refuses connections until recusar(false): the server stays out of reach.
    void cortarNoProximoCommit(Corte corte, bool depoisRecusar = false)
    {
        m_recusarAposCorte = depoisRecusar;
        m_corte = int(corte);
    }
    // COMMITs cut so far.
    int commitsCortados() const { return m_cortados.load(); }

    // Round trip to simulate: each direction holds its bytes for half of it. Applies to bytes
    // that arrive from now on.
    void definirIdaVolta(std::chrono::nanoseconds idaVolta) { m_meioAtraso = idaVolta.count() / 2; }

    // Everything seen so far, over every connection (open or closed).
    ContagemPg contagem() const
    {
        std::lock_guard<std::mutex> g(m_mutex);
        ContagemPg c = m_fechadas;
        for (const auto& l : m_ligacoes)
            c += l.conversa.contagem();
        return c;
    }
    int ligacoesAceites() const { return m_aceites.load(); }
    int ligacoesAbertas() const
    {
        std::lock_guard<std::mutex> g(m_mutex);
        return int(m_ligacoes.size());
    }

    // Keeps a line per client message and per round trip of connections accepted from now on
    // (ConversaPg::traco) until tirarTraco().
    void definirTraco(bool ligado)
    {
        std::lock_guard<std::mutex> g(m_mutex);
        m_comTraco = ligado;
        for (auto& l : m_ligacoes)
            ligarTraco(l);
    }
    QList<QByteArray> tirarTraco()
    {
        std::lock_guard<std::mutex> g(m_mutex);
        QList<QByteArray> t;
        t.swap(m_traco);
        return t;
    }

private:
    struct Pedaco
    {
        Relogio::time_point quando;
        QByteArray dados;
        int enviados = 0;
    };
    // One direction: bytes read from `de`, held, then written to `para`.
    struct Sentido
    {
        std::deque<Pedaco> fila;
        bool fimLido = false;    // `de` reached end of file or failed
        bool fimPassado = false; // `para` was shut down for writing after the queue emptied
    };
    struct Ligacao
    {
        int cliente = -1, servidor = -1;
        Sentido ida, volta; // client to server, server to client
        ConversaPg conversa;
        bool morta = false;
        bool cortarResposta = false; // the COMMIT went on: its answer, when it comes, cuts the connection
    };

    static int escutar(int porta)
    {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (s < 0) return -1;
        int um = 1;
        ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &um, sizeof um);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(quint16(porta));
        if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s, 64) != 0) {
            ::close(s);
            return -1;
        }
        return s;
    }

    // Under m_mutex.
    void ligarTraco(Ligacao& l)
    {
        if (m_comTraco)
            l.conversa.traco = [this](const QByteArray& linha) { m_traco << linha; };
        else
            l.conversa.traco = nullptr;
    }

    void acordar()
    {
        const char c = 1;
        [[maybe_unused]] const auto r = ::write(m_acordar[1], &c, 1);
    }

    static void semAtraso(int fd)
    {
        int um = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &um, sizeof um);
    }

    void fecharLigacao(Ligacao& l)
    {
        for (int* fd : {&l.cliente, &l.servidor})
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
    }

    int ligarAoServidor()
    {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (s < 0) return -1;
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(quint16(m_portaDestino));
        if (::inet_pton(AF_INET, m_destino.toLatin1().constData(), &a.sin_addr) != 1 ||
            ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(s);
            return -1;
        }
        ::fcntl(s, F_SETFL, ::fcntl(s, F_GETFL) | O_NONBLOCK);
        semAtraso(s);
        return s;
    }

    void aceitar()
    {
        for (;;) {
            const int c = ::accept4(m_escuta, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (c < 0) return;
            semAtraso(c);
            const int s = ligarAoServidor();
            if (s < 0) {
                ::close(c);
                continue;
            }
            std::lock_guard<std::mutex> g(m_mutex);
            m_ligacoes.emplace_back();
            m_ligacoes.back().cliente = c;
            m_ligacoes.back().servidor = s;
            ligarTraco(m_ligacoes.back());
            ++m_aceites;
        }
    }

    void cortado()
    {
        ++m_cortados;
        if (m_recusarAposCorte.exchange(false)) m_recusar = true;
    }

    // Reads what `fd` has into the direction's queue and tells the conversation.
    void ler(Ligacao& l, bool doCliente)
    {
        Sentido& s = doCliente ? l.ida : l.volta;
        const int fd = doCliente ? l.cliente : l.servidor;
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                const auto quando = Relogio::now() + std::chrono::nanoseconds(m_meioAtraso.load());
                if (!doCliente && l.cortarResposta) {
                    // The answer to the COMMIT: never passed on.
                    l.morta = true;
                    cortado();
                    return;
                }
                {
                    std::lock_guard<std::mutex> g(m_mutex);
                    const qint64 commits = l.conversa.commits();
                    if (doCliente)
                        l.conversa.doCliente(buf, n);
                    else
                        l.conversa.doServidor(buf, n);
                    if (doCliente && l.conversa.commits() > commits && m_corte != int(Corte::Nenhum)) {
                        const Corte corte = Corte(m_corte.exchange(int(Corte::Nenhum)));
                        if (corte == Corte::AntesDoCommit) {
                            l.morta = true;
                            cortado();
                            return;
                        }
                        l.cortarResposta = true;
                    }
                }
                s.fila.push_back(Pedaco{quando, QByteArray(buf, int(n)), 0});
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) s.fimLido = true;
            if (n < 0 && errno == EINTR) continue;
            return;
        }
    }

    // Writes what is due; false when the other end refused it.
    bool escrever(Sentido& s, int para, Relogio::time_point agora)
    {
        while (!s.fila.empty() && s.fila.front().quando <= agora) {
            Pedaco& p = s.fila.front();
            const ssize_t n =
                ::send(para, p.dados.constData() + p.enviados, size_t(p.dados.size() - p.enviados), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return true;
                return false;
            }
            p.enviados += int(n);
            if (p.enviados < p.dados.size()) return true;
            s.fila.pop_front();
        }
        if (s.fila.empty() && s.fimLido && !s.fimPassado) {
            ::shutdown(para, SHUT_WR);
            s.fimPassado = true;
        }
        return true;
    }

    void ciclo()
    {
        std::vector<pollfd> fds;
        std::vector<Ligacao*> donos;
        while (m_correr) {
            const bool recusarAgora = m_recusar.load();
            if (recusarAgora != m_recusando.load()) {
                if (recusarAgora) {
                    if (m_escuta >= 0) ::close(m_escuta);
                    m_escuta = -1;
                    std::lock_guard<std::mutex> g(m_mutex);
                    for (auto& l : m_ligacoes) {
                        m_fechadas += l.conversa.contagem();
                        fecharLigacao(l);
                    }
                    m_ligacoes.clear();
                } else {
                    m_escuta = escutar(m_porta);
                }
                m_recusando = recusarAgora;
            }
            const auto agora = Relogio::now();
            // Pass on what is due, then see what remains to wait for.
            Relogio::time_point proximo = Relogio::time_point::max();
            for (auto& l : m_ligacoes) {
                if (!escrever(l.ida, l.servidor, agora) || !escrever(l.volta, l.cliente, agora)) l.morta = true;
                for (const Sentido* s : {&l.ida, &l.volta})
                    if (!s->fila.empty()) proximo = std::min(proximo, s->fila.front().quando);
                if (l.ida.fimPassado && l.volta.fimPassado) l.morta = true;
            }
            {
                std::lock_guard<std::mutex> g(m_mutex);
                for (auto it = m_ligacoes.begin(); it != m_ligacoes.end();) {
                    if (it->morta) {
                        m_fechadas += it->conversa.contagem();
                        fecharLigacao(*it);
                        it = m_ligacoes.erase(it);
                    } else {
                        ++it;
                    }
                }
            }
            fds.clear();
            donos.clear();
            fds.push_back({m_escuta, POLLIN, 0});
            fds.push_back({m_acordar[0], POLLIN, 0});
            donos.push_back(nullptr);
            donos.push_back(nullptr);
            for (auto& l : m_ligacoes) {
                // Read each side until it ends; wait for writability only while something due is stuck.
                const bool idaPresa = !l.ida.fila.empty() && l.ida.fila.front().quando <= agora;
                const bool voltaPresa = !l.volta.fila.empty() && l.volta.fila.front().quando <= agora;
                // A socket with nothing to wait for is left out (negative fd), or its hang-up would
                // wake ppoll at once for ever.
                const short eventosCliente = short((l.ida.fimLido ? 0 : POLLIN) | (voltaPresa ? POLLOUT : 0));
                const short eventosServidor = short((l.volta.fimLido ? 0 : POLLIN) | (idaPresa ? POLLOUT : 0));
                fds.push_back({eventosCliente ? l.cliente : -1, eventosCliente, 0});
                donos.push_back(&l);
                fds.push_back({eventosServidor ? l.servidor : -1, eventosServidor, 0});
                donos.push_back(&l);
            }
            timespec espera{};
            timespec* pEspera = nullptr;
            if (proximo != Relogio::time_point::max()) {
                const auto ns = std::max<qint64>(
                    0, std::chrono::duration_cast<std::chrono::nanoseconds>(proximo - Relogio::now()).count());
                espera.tv_sec = time_t(ns / 1000000000);
                espera.tv_nsec = long(ns % 1000000000);
                pEspera = &espera;
            }
            const int r = ::ppoll(fds.data(), nfds_t(fds.size()), pEspera, nullptr);
            if (r < 0) continue;
            if (fds[1].revents) {
                char lixo[64];
                while (::read(m_acordar[0], lixo, sizeof lixo) > 0) {
                }
            }
            if (fds[0].revents & POLLIN) aceitar();
            for (std::size_t i = 2; i < fds.size(); ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                Ligacao& l = *donos[i];
                const bool doCliente = i % 2 == 0; // client and server entries alternate from index 2
                if ((doCliente ? l.ida : l.volta).fimLido) continue;
                ler(l, doCliente);
            }
        }
    }

    QString m_destino;
    int m_portaDestino = 0;
    int m_escuta = -1;
    int m_acordar[2] = {-1, -1};
    int m_porta = 0;
    std::atomic<qint64> m_meioAtraso{0};
    std::atomic<bool> m_correr{false};
    std::atomic<bool> m_recusar{false}, m_recusando{false};
    std::atomic<int> m_corte{0};
    std::atomic<int> m_cortados{0};
    std::atomic<bool> m_recusarAposCorte{false};
    std::atomic<int> m_aceites{0};
    std::thread m_fio;
    mutable std::mutex m_mutex; // guards m_ligacoes' list and conversations, m_fechadas
    std::list<Ligacao> m_ligacoes;
    ContagemPg m_fechadas;
    bool m_comTraco = false;
    QList<QByteArray> m_traco;
};

} // namespace bench
