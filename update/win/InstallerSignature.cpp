#include "update/win/InstallerSignature.h"

#include "base/ExecutablePath.h"
#include "base/Guard.h"
#include "base/win/WideText.h"
#include "update/win/HeldFile.h"

// wintrust.h needs wincrypt.h first; softpub.h names the Authenticode action.
#include <wincrypt.h>

#include <softpub.h>
#include <wintrust.h>

#include <string>

namespace hx::update {

namespace {

// No interactive user: the providers never show anything.
const HWND kNoWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);

// The first attribute `oid` of the certificate's subject; empty when it has none.
std::u16string SubjectAttribute(PCCERT_CONTEXT certificate, const char* oid) {
    void* type = const_cast<char*>(oid);
    const DWORD size = CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, type, nullptr, 0);
    if (size <= 1) {
        return {};
    }
    std::wstring name(size, L'\0');
    const DWORD got =
        CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, type, name.data(), size);
    return got > 1 ? win::U(name.data(), got - 1) : std::u16string();
}

// One verification; its state (and the signer it found) lives until the closing call.
class Verification {
public:
    Verification(const std::u16string& path, HANDLE file) {
        file_.cbStruct = sizeof file_;
        file_.pcwszFilePath = win::W(path);
        file_.hFile = file;
        data_.cbStruct = sizeof data_;
        data_.dwUIChoice = WTD_UI_NONE;
        // Revocation of every certificate of the chain, but only from what Windows has
        // cached: the check must not add a wait on the network.
        data_.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
        data_.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &file_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        status_ = WinVerifyTrust(kNoWindow, &action_, &data_);
    }
    ~Verification() {
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        WinVerifyTrust(kNoWindow, &action_, &data_);
    }
    Verification(const Verification&) = delete;
    Verification& operator=(const Verification&) = delete;

    bool Accepted() const { return status_ == ERROR_SUCCESS; }

    // The primary signer's own certificate, the first of its chain.
    PCCERT_CONTEXT Signer() const {
        CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data_.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer =
            provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr) {
            return nullptr;
        }
        return signer->pasCertChain[0].pCert;
    }

private:
    // A literal of the header's macro: no data is imported for it.
    GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO file_{};
    WINTRUST_DATA data_{};
    LONG status_ = 0;
};

// The running image's headers as the loader mapped them: the pages from the image's base
// that share its protection.
std::span<const std::uint8_t> MappedHeaders() {
    const auto* base = reinterpret_cast<const std::uint8_t*>(GetModuleHandleW(nullptr));
    MEMORY_BASIC_INFORMATION region{};
    if (base == nullptr || VirtualQuery(base, &region, sizeof region) == 0) {
        return {};
    }
    const auto* end = static_cast<const std::uint8_t*>(region.BaseAddress) + region.RegionSize;
    return {base, end > base ? std::size_t(end - base) : 0};
}

SignatureFacts ReadOwnSignature() {
    const std::span<const std::uint8_t> image = MappedHeaders();
    MemorySource mapped(image);
    const std::optional<PeHeaders> headers = ReadPeHeaders(mapped);
    SignatureFacts facts;
    // Headers that cannot be read say nothing: taken as signed, so nothing runs.
    facts.carriesSignature = !headers || headers->certificateTable;
    if (!facts.carriesSignature) {
        return facts;
    }
    const std::u16string path = ExecutablePath();
    const win::UniqueFile file = OpenUnshared(path);
    if (!file) {
        return facts;
    }
    HandleSource bytes(file.get());
    if (!SameHeaders(bytes, image)) {
        return facts;
    }
    const SignatureFacts read = ReadSignature(file.get(), path);
    facts.accepted = read.accepted;
    facts.publisher = read.publisher;
    return facts;
}

} // namespace

SignatureFacts ReadSignature(HANDLE file, std::u16string_view path) {
    const std::u16string name(path);
    SignatureFacts facts;
    // The verification may read from where the handle stands: our own reads moved it.
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) {
        return facts;
    }
    const Verification verification(name, file);
    facts.accepted = verification.Accepted();
    if (!facts.accepted) {
        return facts;
    }
    if (PCCERT_CONTEXT signer = verification.Signer()) {
        facts.publisher = {SubjectAttribute(signer, szOID_COMMON_NAME),
                           SubjectAttribute(signer, szOID_ORGANIZATION_NAME)};
    }
    return facts;
}

const SignatureFacts& UpdaterSignature() {
    // A failure inside counts as a signature that was not accepted.
    static const SignatureFacts facts = Guarded(ReadOwnSignature, SignatureFacts{true, false, {}});
    return facts;
}

} // namespace hx::update
