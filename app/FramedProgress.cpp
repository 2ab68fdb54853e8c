#include "app/FramedProgress.h"

#include <memory>

#include "app/OperationPump.h"
#include "app/ProgrammerDlg.h"

namespace {

struct Frames {
    Frames(QProgressBar* progressBar, std::function<std::int64_t()> nowNs, std::int64_t frameNs)
        : pump(std::move(nowNs), frameNs), bar(progressBar) {}
    Frames(const Frames&) = delete;
    Frames& operator=(const Frames&) = delete;
    // The last position, drawn before the pump's last look at the events.
    ~Frames() { Show(); }

    void Show() {
        if (latest != shown) {
            SetBarPosition(bar, latest);
            shown = latest;
        }
    }

    OperationPump pump;
    QProgressBar* bar;
    static constexpr int None = -2;  // below the empty bar's -1
    int latest = None;
    int shown = None;
};

}  // namespace

Progress FramedProgress(QProgressBar* bar, std::function<std::int64_t()> nowNs,
                        std::int64_t frameNs) {
    auto frames = std::make_shared<Frames>(bar, std::move(nowNs), frameNs);
    return [frames](int position) {
        frames->latest = position;
        if (frames->pump.FrameDue()) {
            frames->Show();
            frames->pump.Pump();
        }
    };
}
