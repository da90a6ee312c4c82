// Reads Authenticode signatures with the system's trust verification: an installer's through
// the handle that holds it, and the running updater's own, once.
#pragma once

#include "update/InstallerSignature.h"

#include <windows.h>

#include <string_view>

namespace hx::update {

// Whether WinVerifyTrust accepts the signature of the open file `file` (generic Authenticode
// policy, no UI, revocation of the whole chain from the cache only, so no network wait),
// reading it through the handle, and the publisher its signer certificate names. `path` is
// the file's name for the verification's choice of format. Whether the file carries a
// signature at all is for the caller to say.
SignatureFacts ReadSignature(HANDLE file, std::u16string_view path);

// The running updater's own signature, decided at the first call and never again; start-up
// makes that call. Whether it carries one is read from the headers of the running image
// itself, so no file put under its name can make it look unsigned. A signed updater's
// signature is then verified through its file, opened without sharing writing or deletion
// and only if it holds the running image's headers; when that cannot be done, it counts as
// not accepted, and such an updater runs no installer.
const SignatureFacts& UpdaterSignature();

} // namespace hx::update
