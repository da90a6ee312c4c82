// Reads a file's Authenticode signature with the system's trust verification.
#pragma once

#include "update/InstallerSignature.h"

#include <windows.h>

#include <string_view>

namespace hx::update {

// Whether `path` carries an embedded signature, whether WinVerifyTrust accepts it (generic
// Authenticode policy, no UI, revocation of the whole chain from the cache only, so no
// network wait), and the publisher its signer certificate names. `file`, when given, is an
// open read handle of the same file that the verification reads instead of opening it.
SignatureFacts ReadSignature(std::u16string_view path, HANDLE file = nullptr);

} // namespace hx::update
