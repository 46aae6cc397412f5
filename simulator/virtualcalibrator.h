// The virtual calibrator served on a pseudo-terminal: the model behind a transport, in one object
// that tests (and the program's demo) run in process, and that lorik-sim runs as a process.
#pragma once

#include "simulator/model.h"
#include "simulator/transport.h"

#include <memory>

namespace sim {

class VirtualCalibrator {
public:
    explicit VirtualCalibrator(World world = {}, QString stateFile = {});
    ~VirtualCalibrator();

    /// Serves on a new pseudo-terminal, announced as `linkPath` when given. Returns 0, or -1.
    int Start(const QString& linkPath = {});
    void Stop();

    /// The path a client opens (the link, or the slave device).
    QString PortPath() const { return m_transport.PortPath(); }

    Calibrator& Model() { return m_model; }
    PtyTransport& Transport() { return m_transport; }

    void SetFaults(const Faults& f) { m_transport.SetFaults(f); }
    void Unplug() { m_transport.Unplug(); }
    int Plug() { return m_transport.Plug(); }

    /// The folder of the bundled scenarios (the source tree's simulator/scenarios, or the program
    /// folder's scenarios/ in an installation).
    static QString ScenarioPath(const QString& name);

private:
    Calibrator m_model;
    PtyTransport m_transport;
};

} // namespace sim
