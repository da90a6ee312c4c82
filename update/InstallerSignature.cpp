#include "update/InstallerSignature.h"

namespace hx::update {

bool InstallerMayRun(const SignatureFacts& updater, const InstallerFacts& installer) {
    if (!updater.carriesSignature) {
        return true;
    }
    if (!updater.accepted || updater.publisher.commonName.empty()) {
        return false;
    }
    return installer.signature.accepted && installer.signature.publisher == updater.publisher &&
           IsNewerRelease(installer.release);
}

} // namespace hx::update
