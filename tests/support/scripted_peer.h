// A calibrator stand-in on a pseudo-terminal that answers each request with the next scripted reply
// (an empty data reply when the script is empty) and keeps the requests it saw.
#pragma once

#include "simulator/transport.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

class ScriptedPeer {
public:
    explicit ScriptedPeer(sim::Reply whenEmpty = {""})
        : m_default(std::move(whenEmpty)), m_transport([this](const std::string& req) {
              std::lock_guard lock(m_mutex);
              m_seen.push_back(req);
              if (m_script.empty()) return m_default;
              sim::Reply r = m_script.front();
              m_script.pop_front();
              return r;
          })
    {
    }
    int Start(const QString& link = {}) { return m_transport.Start(link); }
    void Push(sim::Reply r)
    {
        std::lock_guard lock(m_mutex);
        m_script.push_back(std::move(r));
    }
    std::vector<std::string> Seen()
    {
        std::lock_guard lock(m_mutex);
        return m_seen;
    }
    std::string Last()
    {
        std::lock_guard lock(m_mutex);
        return m_seen.empty() ? std::string() : m_seen.back();
    }
    sim::PtyTransport& Transport() { return m_transport; }
    QString Path() const { return m_transport.PortPath(); }

private:
    std::mutex m_mutex;
    std::deque<sim::Reply> m_script;
    std::vector<std::string> m_seen;
    sim::Reply m_default;
    sim::PtyTransport m_transport;
};

} // namespace testsupport
