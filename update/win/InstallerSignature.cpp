#include "update/win/InstallerSignature.h"

#include "base/win/WideText.h"

// wintrust.h needs wincrypt.h first; softpub.h names the Authenticode action.
#include <wincrypt.h>

#include <softpub.h>
#include <wintrust.h>

#include <string>

namespace hx::update {

namespace {

// No interactive user: the providers never show anything.
const HWND kNoWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);

// Presence only: the embedded signed message is found whether or not it still matches.
bool CarriesSignature(const std::u16string& path) {
    return CryptQueryObject(CERT_QUERY_OBJECT_FILE, win::W(path),
                            CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                            CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr) != FALSE;
}

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

} // namespace

SignatureFacts ReadSignature(std::u16string_view path, HANDLE file) {
    const std::u16string name(path);
    SignatureFacts facts;
    facts.carriesSignature = CarriesSignature(name);
    if (!facts.carriesSignature) {
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

} // namespace hx::update
