#include "app/AppProfile.h"

#include <atomic>

#include "app/MemoryProfile.h"

namespace korva::app {
namespace {
std::atomic<Profile*> g_Profile{nullptr};

Profile& StandIn() {
    static MemoryProfile standIn;
    return standIn;
}
}  // namespace

Profile& AppProfile() {
    Profile* installed = g_Profile.load();
    return installed ? *installed : StandIn();
}

Profile* SetAppProfile(Profile* profile) { return g_Profile.exchange(profile); }

}  // namespace korva::app
