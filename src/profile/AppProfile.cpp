#include "profile/AppProfile.h"

#include <atomic>

#include "profile/MemoryProfile.h"

namespace korva::profile {
namespace {
std::atomic<base::Profile*> g_Profile{nullptr};

base::Profile& StandIn() {
    static MemoryProfile standIn;
    return standIn;
}
}  // namespace

base::Profile& AppProfile() {
    base::Profile* installed = g_Profile.load();
    return installed ? *installed : StandIn();
}

base::Profile* SetAppProfile(base::Profile* profile) { return g_Profile.exchange(profile); }

}  // namespace korva::profile
