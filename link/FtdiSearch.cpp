#include "link/FtdiSearch.h"

#include <string>
#include <vector>

FtdiSearch::FtdiSearch(ProgrammerLink& link, const PinMap& adapterPins, FtdiCalls* calls)
    : link_(link),
      parallel_(link.Io()),
      parallelPins_(link.Pins()),
      parallelKind_(link.PinKind()),
      adapterPins_(adapterPins),
      calls_(calls != nullptr ? calls : &ownCalls_) {}

FtdiSearch::~FtdiSearch() {
    if (held_ != nullptr && &link_.Io() == held_.get()) {
        link_.SetIo(parallel_);
    }
}

BoardSearch FtdiSearch::Search(int notFound) {
    // Back to the parallel ports, the adapter found last time given back first.
    link_.SetIo(parallel_);
    link_.SetPins(parallelPins_, parallelKind_);
    held_.reset();
    BoardSearch search = SearchForBoard(link_, notFound);
    if (search.board) {
        return search;
    }
    std::vector<FtdiAdapter> attached;
    if (ftdi_context* context = calls_->New()) {
        calls_->FindAll(context, attached);
        calls_->Free(context);
    }
    for (const FtdiAdapter& adapter : attached) {
        FtdiChoice choice;
        choice.serial = adapter.serial;
        if (adapter.serial.empty()) {
            // Not readable (no permission): the first of its kind, whose claim will say why.
            choice.vendor = adapter.vendor;
            choice.product = adapter.product;
        }
        auto io = std::make_unique<FtdiPortIo>(choice, adapterPins_, calls_);
        link_.SetIo(*io);
        link_.SetPins(adapterPins_, PortKind::Ftdi);
        BoardSearch probed = ProbePort(link_, io->Ports().front(), notFound);
        search.probes.insert(search.probes.end(), probed.probes.begin(), probed.probes.end());
        if (probed.board) {
            search.code = probed.code;
            search.board = probed.board;
            held_ = std::move(io);
            return search;
        }
        io->ReleaseExcept(0);
    }
    link_.SetIo(parallel_);
    link_.SetPins(parallelPins_, parallelKind_);
    return search;
}
