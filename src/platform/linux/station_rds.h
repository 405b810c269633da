// What the tuned station sends about itself over RDS, as each card learns
// it: the SDR and the simulated band from our receiver, a V4L2 receiver
// from the blocks its driver hands over.
#pragma once

#include "receiver/rds_groups.h"
#include "shell/panel_status.h"

namespace orv::linuxcard {

class StationRds {
public:
    virtual ~StationRds() = default;
    // What RDS has given on the current tuning; empty from the moment of a
    // retune, and where the card or station has none. Any thread.
    virtual receiver::RdsState rds() const = 0;
};

// The RDS state as the panel's status shows it: names and texts as sent
// whole, PI when read, the station's clock as local time "YYYY-MM-DD HH:MM".
StationInfo stationInfoFrom(const receiver::RdsState& rds);

}  // namespace orv::linuxcard
