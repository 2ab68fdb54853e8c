#include "link/UrgentSection.h"

#include <pthread.h>
#include <sched.h>

UrgentSection::UrgentSection() {
    sched_param previous{};
    if (pthread_getschedparam(pthread_self(), &policy_, &previous) == 0) {
        priority_ = previous.sched_priority;
        // The lowest real-time priority is enough to be ahead of every ordinary thread.
        sched_param urgent{};
        urgent.sched_priority = sched_get_priority_min(SCHED_FIFO);
        raised_ = policy_ == SCHED_OTHER &&
                  pthread_setschedparam(pthread_self(), SCHED_FIFO, &urgent) == 0;
    }
    if (!raised_) {
        // A fresh time slice: the section is far shorter than one.
        sched_yield();
    }
}

UrgentSection::~UrgentSection() {
    if (raised_) {
        sched_param previous{};
        previous.sched_priority = priority_;
        pthread_setschedparam(pthread_self(), policy_, &previous);
    }
}
