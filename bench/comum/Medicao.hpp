#pragma once
// Timing samples and the text tables the benchmarks print. Header only: shared by the bench
// executables and the small load tests of the regular suite.

#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace bench {

using Relogio = std::chrono::steady_clock;

inline double microsDesde(Relogio::time_point t0)
{
    return std::chrono::duration<double, std::micro>(Relogio::now() - t0).count();
}

// Samples in microseconds.
class Amostras
{
public:
    void adicionar(double us) { m_v.push_back(us); }
    void juntar(const Amostras& o) { m_v.insert(m_v.end(), o.m_v.begin(), o.m_v.end()); }
    std::size_t contagem() const { return m_v.size(); }
    bool vazio() const { return m_v.empty(); }
    // Nearest-rank percentile (p in 0..100).
    double percentil(double p) const
    {
        if (m_v.empty())
            return 0;
        std::vector<double> v = m_v;
        std::sort(v.begin(), v.end());
        const std::size_t i = std::size_t(std::ceil(p / 100.0 * double(v.size())));
        return v[std::min(v.size() - 1, i == 0 ? 0 : i - 1)];
    }
    double mediana() const { return percentil(50); }
    double p99() const { return percentil(99); }
    double maximo() const { return m_v.empty() ? 0 : *std::max_element(m_v.begin(), m_v.end()); }

private:
    std::vector<double> m_v;
};

// A plain text table with right-aligned columns after the first.
class Tabela
{
public:
    explicit Tabela(QStringList cabecalho) { m_linhas << cabecalho; }
    void linha(const QStringList& l) { m_linhas << l; }
    QString texto() const
    {
        std::vector<int> larg;
        for (const QStringList& l : m_linhas)
            for (int i = 0; i < l.size(); ++i) {
                if (int(larg.size()) <= i)
                    larg.push_back(0);
                larg[i] = std::max(larg[i], int(l[i].size()));
            }
        QString t;
        for (int n = 0; n < m_linhas.size(); ++n) {
            const QStringList& l = m_linhas[n];
            for (int i = 0; i < l.size(); ++i) {
                if (i)
                    t += QStringLiteral("  ");
                t += i == 0 ? l[i].leftJustified(larg[i]) : l[i].rightJustified(larg[i]);
            }
            t += QLatin1Char('\n');
            if (n == 0) {
                int total = 0;
                for (int w : larg)
                    total += w + 2;
                t += QString(total - 2, QLatin1Char('-')) + QLatin1Char('\n');
            }
        }
        return t;
    }

private:
    QList<QStringList> m_linhas;
};

inline QString us(double v)
{
    return v >= 10000 ? QString::number(v / 1000.0, 'f', 1) + QStringLiteral(" ms") : QString::number(v, 'f', 0) + QStringLiteral(" us");
}

inline QString razao(double a, double b)
{
    return b > 0 ? QString::number(a / b, 'f', 2) + QStringLiteral("x") : QStringLiteral("-");
}

} // namespace bench
