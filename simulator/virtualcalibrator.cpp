#include "simulator/virtualcalibrator.h"

#include "platform/library.h"

#include <QFileInfo>

namespace sim {

VirtualCalibrator::VirtualCalibrator(World world, QString stateFile)
    : m_model(std::move(world), std::move(stateFile)),
      m_transport([this](const std::string& request) { return m_model.Handle(request); })
{
}

VirtualCalibrator::~VirtualCalibrator() { Stop(); }

int VirtualCalibrator::Start(const QString& linkPath) { return m_transport.Start(linkPath); }

void VirtualCalibrator::Stop() { m_transport.Stop(); }

QString VirtualCalibrator::ScenarioPath(const QString& name)
{
    if (name.contains(QLatin1Char('/')) || name.endsWith(QStringLiteral(".ini"))) return name;
    // Beside the program (the build tree) or in the installed data folder; the build tree falls
    // back to the sources, an installation never looks outside itself.
    const platform::Layout& layout = platform::CurrentLayout();
    const QString bundled = layout.dataDir + QStringLiteral("/scenarios/") + name + QStringLiteral(".ini");
    if (layout.installed || QFileInfo::exists(bundled)) return bundled;
    return QStringLiteral(LORIK_SCENARIO_DIR "/") + name + QStringLiteral(".ini");
}

} // namespace sim
