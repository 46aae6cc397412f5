#include "reports/protocoldata.h"

namespace reports {

ProtocolData& Protocol()
{
    static ProtocolData data;
    return data;
}

} // namespace reports
