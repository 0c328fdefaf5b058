#pragma once
// What the simulated scanner knows about itself: its model, its stored
// parameter block (EEpromV101, kept byte-exact including the reserved
// ranges) and the run-time state that the state records report.
// Lives on the simulator thread.

#include <QByteArray>
#include <QString>
#include <vector>

#include "eeprom.h"
#include "packet_encoders.h"
#include "sim_options.h"

namespace sim {

class DeviceState {
public:
    explicit DeviceState(const SimOptions& options);

    EEpromV101& block() { return m_block; }
    const EEpromV101& block() const { return m_block; }
    QByteArray blockBytes() const;

    const QString& model() const { return m_model; }
    QString serialNumber() const;
    // Rotation speeds the model offers ("rpm" of the model table).
    const std::vector<int>& allowedRpms() const { return m_rpms; }
    bool rpmAllowed(int rpm) const;
    // The fastest of them (3000 for a model the table does not list).
    int topRpm() const;
    bool zonesSupported() const { return m_zonesSupported; }

    uint32_t faultWord() const { return m_fault; }
    void setFaultWord(uint32_t fault) { m_fault = fault; }
    // Zone state of the records: the active zone, or -1 without zones.
    int32_t zoneState() const;
    StateRecord stateRecord(uint32_t sequence) const;

    // Persisted block: exactly 152 bytes. load() keeps the defaults when the
    // file is missing or has another size.
    bool load(const QString& path);
    bool save(const QString& path) const;

private:
    QString m_model;
    std::vector<int> m_rpms;
    bool m_zonesSupported = false;
    uint32_t m_fault = 0;
    EEpromV101 m_block{};
};

// Stores an IPv4 address text as four octets, most significant first.
void putIpv4(uint8_t field[4], const QString& text);

// Looks up a model-table property without letting a table error escape.
QString modelProperty(const QString& model, const char* key);

}  // namespace sim
