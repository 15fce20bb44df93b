#include "port/ByteStream.h"

#include "port/PortFailures.h"

namespace korva::port {

base::Reason ByteStream::FailureReason() const {
    const int error = LastError();
    if (error == 0) return base::Reason::None;
    if (error == ECANCELED) return base::Reason::Cancelled;
    return IsOpen() ? LinkReasonOf(error) : OpenFailureReason(error);
}

}  // namespace korva::port
