#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "dataaccess/LigacaoDados.h"

// A server that accepts connections on a loopback port and never answers: what a hung database
// server looks like to a client. Connections are closed after `segundos` (so that a client with
// no timeout of its own is let go in the end) or when the object goes.
class ServidorMudo
{
public:
    explicit ServidorMudo(double segundos = 15)
    {
        m_escuta = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t n = sizeof a;
        ::bind(m_escuta, reinterpret_cast<sockaddr*>(&a), n);
        ::listen(m_escuta, 16);
        ::getsockname(m_escuta, reinterpret_cast<sockaddr*>(&a), &n);
        m_porta = ntohs(a.sin_port);
        m_fio = std::thread([this, segundos] {
            const auto fim = std::chrono::steady_clock::now() + std::chrono::duration<double>(segundos);
            std::vector<int> clientes;
            while (!m_parar && std::chrono::steady_clock::now() < fim) {
                pollfd p{m_escuta, POLLIN, 0};
                if (::poll(&p, 1, 50) > 0) clientes.push_back(::accept(m_escuta, nullptr, nullptr));
            }
            for (int c : clientes)
                ::close(c);
        });
    }
    ~ServidorMudo()
    {
        m_parar = true;
        m_fio.join();
        ::close(m_escuta);
    }
    int porta() const { return m_porta; }
    // A PostgreSQL connection to this server (database "fabrica", user "ana").
    ParametrosLigacao parametrosPg() const
    {
        ParametrosLigacao p;
        p.driver = QStringLiteral("QPSQL");
        p.servidor = QStringLiteral("127.0.0.1");
        p.porta = m_porta;
        p.baseDados = QStringLiteral("fabrica");
        p.utilizador = QStringLiteral("ana");
        return p;
    }

private:
    int m_escuta = -1;
    int m_porta = 0;
    std::atomic<bool> m_parar{false};
    std::thread m_fio;
};
