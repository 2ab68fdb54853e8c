#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/PinMap.h"
#include "link/PortIo.h"
#include "sim/SimulatedChip.h"

// Whether the board returns its data line on the port's Acknowledge input (status bit 6).
enum class Loopback { Working, AckStuckLow, AckStuckHigh };

// The programmer board on one parallel port, with a socket that may hold a simulated chip. Its
// lines are where the pin map puts them (the same table the link writes by); on the parallel
// port's wiring the data register (base) has bit 0 = 1 pulls the data line low, bit 1 = 1 holds the
// clock low, bit 2 = supply switch A (VDD), bit 3 = supply switch B (VPP), bits 4-7 unconnected; it
// reads back the last value written and starts at 0x00. Status register (base + 1): 0x87, plus bit
// 6 = 1 while the data line is at logic 0. Every other address, the control register included,
// reads 0xFF and drops writes.
class SimulatedBoard final : public PortIo {
public:
    explicit SimulatedBoard(std::function<std::int64_t()> nowNanoseconds,
                            std::uint16_t base = 0x378,
                            const PinMap& pins = DefaultPinMap(PortKind::Parallel));

    std::uint8_t In(std::uint16_t address) override;
    void Out(std::uint16_t address, std::uint8_t value) override;

    // Puts a chip in the socket; it sees the board's lines as they stand at once.
    void Insert(SimulatedChip chip);
    void Remove();
    SimulatedChip* Chip();  // nullptr when the socket is empty
    void SetLoopback(Loopback loopback) { loopback_ = loopback; }

    std::uint16_t Base() const { return base_; }
    std::uint8_t DataRegister() const { return data_; }
    bool SupplyA() const { return bits_.High(data_, bits_.vdd); }
    bool SupplyB() const { return bits_.High(data_, bits_.vpp); }
    bool InProgramMode() const;
    // The data line as it stands: 0 if the board or the chip pulls it low, else 1.
    int DataLine() const;

    std::int64_t PortReads() const { return reads_; }
    std::int64_t PortWrites() const { return writes_; }
    // The board's own errors, then the chip's.
    std::vector<std::string> Errors() const;
    // Forgets the board's errors and counters and the chip's records.
    void ClearRecords();

    static constexpr std::uint8_t DataLowBit = 0x01;
    static constexpr std::uint8_t ClockLowBit = 0x02;
    static constexpr std::uint8_t SupplyABit = 0x04;
    static constexpr std::uint8_t SupplyBBit = 0x08;
    static constexpr std::uint8_t AckBit = 0x40;
    // Status bits other than Acknowledge: a fixed pattern that is never 0xFF as a whole.
    static constexpr std::uint8_t StatusIdle = 0x87;

private:
    SimPins Pins() const;
    void UpdateChip();

    std::function<std::int64_t()> now_;
    std::uint16_t base_;
    PortBits bits_;
    std::uint8_t data_ = 0x00;
    Loopback loopback_ = Loopback::Working;
    std::optional<SimulatedChip> chip_;
    bool contention_ = false;
    std::int64_t reads_ = 0;
    std::int64_t writes_ = 0;
    std::vector<std::string> errors_;
};
