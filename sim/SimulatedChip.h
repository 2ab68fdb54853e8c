#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Every error the simulation records begins with one of these tags, so that a test can ask for a
// kind of error without matching the whole text.
namespace SimError {
inline constexpr char SupplyOrder[] = "supply order";
inline constexpr char SupplyGap[] = "supply gap";
inline constexpr char EntryLines[] = "entry lines";
inline constexpr char PulseTooShort[] = "pulse too short";
inline constexpr char PulseCut[] = "pulse cut";
inline constexpr char ClockHighTooShort[] = "clock high too short";
inline constexpr char CommandGap[] = "command gap";
inline constexpr char EdgeWithData[] = "edge with data";
inline constexpr char DataSetup[] = "data setup";
inline constexpr char DataHold[] = "data hold";
inline constexpr char Contention[] = "contention";
}  // namespace SimError

// How many of the errors begin with the tag.
int CountErrors(const std::vector<std::string>& errors, std::string_view tag);

// What the board does to the chip's pins. The data line is shared: the board can only pull it
// low; released, it reads 1 unless the chip drives it.
struct SimPins {
    bool vdd = false;        // operating supply (the board's switch A)
    bool vpp = false;        // programming voltage on the reset pin (switch B)
    bool clockHigh = false;  // serial clock
    bool dataLow = false;    // the board pulls the data line low
};

// One PIC12C508/509/671/672 as seen from its pins: memory cells that can only lose bits, the
// serial programming interface decoded edge by edge, and a record of everything done to it, so
// that tests can judge the host from the chip's side.
//
// Timing it judges: 100 ns of clock high; data steady from 100 ns before a falling clock edge that
// latches it to 100 ns after (it may change with the rising edge, never with the falling one);
// 1 us from a command to the first clock of its data or read frame; pulses of at least 100 us.
//
// Choices where the real parts leave room:
// - 14-bit chips: 0x2004-0x2006 read 0x3FFF and cannot be programmed; every other address that
//   is not implemented reads 0 (in both families). The 14-bit address counter wraps within
//   program space (0x1FFF -> 0) and within configuration space (0x3FFF -> 0x2000); only
//   LoadConfiguration moves it from one to the other.
// - LoadConfiguration on a 12-bit chip is an unknown command like any other: no frame follows.
// - Code protection only hides words from reads; programming is not refused. A 14-bit chip with
//   any copy of its protection bits clear reads 0 for all of program memory.
// - Wrong supply order, or data/clock not low when the second supply comes on: no program mode.
//   A 12-bit chip whose supplies come on more than 9 ms apart still enters, with an error.
// - A pulse lasts from the last falling clock edge of BeginProgramming to that of EndProgramming
//   (so it includes the six clock cycles of EndProgramming itself).
// - The count of effective pulses per word belongs to the cell and survives ClearRecords. A word
//   set to need N pulses reads back unchanged after fewer, so a host's read-back after each pulse
//   finds N; the pulses that follow it are recorded as margin pulses.
class SimulatedChip {
public:
    struct Pulse {
        int address;
        std::uint16_t data;
        std::int64_t durationNs;
        bool effective;
        // The cell already held the pulse's data before it: a margin pulse, which can change
        // nothing but makes the word hold for good on a real part.
        bool margin;
    };

    // Shortest programming pulse that takes effect, in nanoseconds.
    static constexpr std::int64_t MinimumPulseNs = 100'000;

    explicit SimulatedChip(int chipType);  // 1..4, fully erased, calibration word included
    // A blank chip as it leaves the factory: erased, with its calibration instruction.
    static SimulatedChip Factory(int chipType, std::uint8_t calibration);

    int Type() const { return type_; }
    bool Is14Bit() const { return is14Bit_; }
    int MemoryWords() const { return memoryWords_; }
    int ConfigAddress() const;
    int IdAddress() const;         // first of the four ID words
    std::uint16_t Erased() const;  // 0xFFF or 0x3FFF

    // Raw cell contents, no protection applied; unimplemented addresses read 0.
    std::uint16_t Word(int address) const;
    // Sets a cell outright (factory or test), masked to the family's width; not OTP-limited.
    void SetWord(int address, std::uint16_t value);
    std::uint16_t ConfigWord() const { return Word(ConfigAddress()); }
    void SetConfigWord(std::uint16_t value) { SetWord(ConfigAddress(), value); }
    std::uint16_t CalibrationWord() const { return Word(memoryWords_ - 1); }
    bool CodeProtected() const;
    // The word the chip puts on the wire for a read at this address.
    std::uint16_t ReadableWord(int address) const;

    // Faults.
    void SetNeverPrograms(int address);
    void SetPulsesNeeded(int address, int pulses);
    // A marginal cell: it reads with another bit inverted at each power-up.
    void SetReadsUnsteadily(int address);

    // Records.
    const std::vector<Pulse>& Pulses() const { return pulses_; }
    // The effective pulses a word was given with the data its cell holds now, since the records
    // were last cleared: those before the cell held it (the pulses it needed) and those after
    // (its margin). A pulse with other data, or one too short, counts in neither.
    struct WordPulses {
        int toTake = 0;
        int margin = 0;
    };
    WordPulses PulsesAt(int address) const;
    const std::vector<int>& ReadAddresses() const { return reads_; }
    int ProgramModeEntries() const { return entries_; }
    const std::vector<std::string>& Errors() const { return errors_; }
    void ClearRecords();

    // Pin level interface, driven by the board. ApplyPins is called with the new levels after
    // every change on the board; the chip reacts to the edges between the last levels and these.
    void ApplyPins(const SimPins& pins, std::int64_t nowNs);
    // What the chip drives onto the data line: -1 when it does not drive it, else 0 or 1.
    int DataOutput() const { return dataOut_; }
    // The data line as the chip sees it: 0 if anyone pulls it low, else 1.
    int DataLine() const { return pins_.dataLow || dataOut_ == 0 ? 0 : 1; }
    bool InProgramMode() const { return programMode_; }
    // The address counter; meaningful only in program mode.
    int Address() const { return address_; }
    std::uint16_t DataLatch() const { return latch_; }

private:
    enum class Frame { Command, DataIn, ReadOut };

    int CellIndex(int address) const;
    void ApplySupplies(const SimPins& pins, std::int64_t nowNs);
    void TryEnterProgramMode(const SimPins& pins, bool vddJustOn, bool vppJustOn,
                             std::int64_t nowNs);
    void LeaveProgramMode(std::int64_t nowNs);
    void OnRisingEdge(std::int64_t nowNs);
    void OnFallingEdge(int data, std::int64_t nowNs);
    void FinishFrame();
    void RunCommand(int code, std::int64_t nowNs);
    void EndPulse(std::int64_t nowNs);
    void Increment();
    void AddError(const char* tag, const std::string& detail);

    int type_;
    bool is14Bit_;
    int memoryWords_;
    std::vector<std::uint16_t> cells_;  // program words, ID words, configuration word
    std::set<int> neverPrograms_;
    std::map<int, int> pulsesNeeded_;
    std::map<int, int> effectivePulses_;
    std::set<int> unsteady_;

    std::vector<Pulse> pulses_;
    std::vector<int> reads_;
    int entries_ = 0;
    int powerUps_ = 0;  // program-mode entries of the chip's life, which records do not clear
    std::vector<std::string> errors_;

    // Pins and power.
    SimPins pins_;
    std::int64_t vddOnAt_ = 0;
    std::int64_t vppOnAt_ = 0;
    bool programMode_ = false;
    int address_ = 0;
    std::uint16_t latch_ = 0x3FFF;

    // Serial interface.
    Frame frame_ = Frame::Command;
    int cycle_ = 0;
    std::uint32_t shift_ = 0;
    int frameCommand_ = 0;
    std::uint16_t readValue_ = 0;
    std::int64_t risingAt_ = 0;
    std::int64_t commandEndAt_ = 0;
    // When the board last changed the data line, and when the chip last latched it; long before
    // anything at first.
    std::int64_t dataChangedAt_ = std::numeric_limits<std::int64_t>::min() / 2;
    std::int64_t latchedAt_ = std::numeric_limits<std::int64_t>::min() / 2;
    bool pulseOn_ = false;
    std::int64_t pulseStart_ = 0;
    int pulseAddress_ = 0;
    std::uint16_t pulseData_ = 0;
    int dataOut_ = -1;
};
