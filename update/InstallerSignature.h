// Which installer may run: what the system reads from a file's Authenticode signature, the
// release the installer names, and the rule that a signed updater runs only a newer release
// signed by its own publisher. The installer comes over plain HTTP and runs as
// Administrator, so its signature is the only proof of where it came from, and its release
// the only proof that it is not last year's installer served again.
#pragma once

#include "update/Release.h"

#include <optional>
#include <string>

namespace hx::update {

// The publisher a signer certificate names: its subject's common name and organisation.
// A renewed certificate of the same publisher names the same one.
struct Publisher {
    std::u16string commonName;
    std::u16string organisation;
    bool operator==(const Publisher&) const = default;
};

// One file's Authenticode signature as the system sees it (update/win/).
struct SignatureFacts {
    bool carriesSignature = false; // a certificate table, valid or not
    bool accepted = false;         // the system's trust verification accepted it
    Publisher publisher;           // of the signer, read only from an accepted signature
};

// What the install stage reads from the installer it holds.
struct InstallerFacts {
    SignatureFacts signature;
    std::optional<ReleaseVersion> release; // the product version of its version resource
};

// An updater without a signature (a developer's build) runs any installer. A signed one runs
// only an installer whose signature is accepted, whose signer names the updater's own
// publisher (both names compared exactly) and whose release is newer than the updater's.
// A signed updater whose own signature is not accepted, or whose signer has no common
// name, has no publisher to compare with: it runs none.
bool InstallerMayRun(const SignatureFacts& updater, const InstallerFacts& installer);

} // namespace hx::update
