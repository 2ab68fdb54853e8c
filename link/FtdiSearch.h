#pragma once

#include <memory>

#include "link/Detection.h"
#include "link/FtdiPortIo.h"
#include "link/ProgrammerLink.h"

// The board search that goes on to the FTDI adapters attached when no parallel port has the board.
// Each adapter is probed in turn on the link with the adapters' pin map; the first with the board
// keeps the link (the adapter is held here, so this must outlive the link's use of it), every other
// is given back at once, never left claimed. With none the link goes back to the backend and map
// it had, and a later search starts again from the parallel ports.
class FtdiSearch final : public BoardSearcher {
public:
    // The link as it stands now (its backend and map) is where every search starts.
    FtdiSearch(ProgrammerLink& link, const PinMap& adapterPins, FtdiCalls* calls = nullptr);
    ~FtdiSearch() override;
    FtdiSearch(const FtdiSearch&) = delete;
    FtdiSearch& operator=(const FtdiSearch&) = delete;

    // SearchForBoard, then the adapters when it found nothing.
    BoardSearch Search(int notFound) override;

private:
    ProgrammerLink& link_;
    PortIo& parallel_;
    PinMap parallelPins_;
    PortKind parallelKind_;
    PinMap adapterPins_;
    FtdiCalls ownCalls_;
    FtdiCalls* calls_;
    std::unique_ptr<FtdiPortIo> held_;
};
