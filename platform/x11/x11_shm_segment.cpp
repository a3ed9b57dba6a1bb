#include "platform/x11/x11_shm_segment.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_errors.h"

X11ShmSegment::X11ShmSegment(X11Connection& x, std::size_t bytes)
    : display_(x.display()), size_(bytes)
{
    info_.shmid = -1;
    info_.shmaddr = reinterpret_cast<char*>(-1);
    if (x.ShmCompletionType() < 0)
        return;
    info_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (info_.shmid < 0)
        return;
    info_.shmaddr = static_cast<char*>(shmat(info_.shmid, nullptr, 0));
    if (info_.shmaddr == reinterpret_cast<char*>(-1)) {
        shmctl(info_.shmid, IPC_RMID, nullptr);
        info_.shmid = -1;
        return;
    }
    info_.readOnly = True;
    {
        x11_errors::ErrorTrap trap(display_);
        x.CountRoundTrip();
        attached_ = XShmAttach(display_, &info_) && trap.Sync() == Success;
    }
    // Attached or not, nobody else will ever attach it.
    shmctl(info_.shmid, IPC_RMID, nullptr);
    if (!attached_) {
        shmdt(info_.shmaddr);
        info_.shmaddr = reinterpret_cast<char*>(-1);
    }
}

X11ShmSegment::~X11ShmSegment()
{
    if (!attached_)
        return;
    XShmDetach(display_, &info_);
    XSync(display_, False); // the server lets go before the memory goes
    shmdt(info_.shmaddr);
}
