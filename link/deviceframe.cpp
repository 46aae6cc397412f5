#include "link/deviceframe.h"

#include "link/pagehost.h"

namespace devlink {

TDeviceFrame::TDeviceFrame(IPageHost* host, QWidget* parent) : QFrame(parent), m_host(host)
{
    if (!host) return;
    LinkSession& s = host->Session();
    connect(&s, &LinkSession::connected, this, [this] { SetLinkUp(true); });
    connect(&s, &LinkSession::linkLost, this, [this] { SetLinkUp(false); });
    m_linkUp = s.IsConnected();
}

} // namespace devlink
