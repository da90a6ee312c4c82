#include "update/InstallerSignature.h"

namespace hx::update {

bool InstallerMayRun(const SignatureFacts& updater, const SignatureFacts& installer) {
    if (!updater.carriesSignature) {
        return true;
    }
    if (!updater.accepted || updater.publisher.commonName.empty()) {
        return false;
    }
    return installer.accepted && installer.publisher == updater.publisher;
}

} // namespace hx::update
