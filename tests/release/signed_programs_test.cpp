// The signed programs of the release still start and work, and Windows reads their signatures:
// each program is started as a person or a script would start it, the console program on an
// empty drive, the two window programs until their windows are up; Windows' trust check finds
// each signature's digest intact, names the signer, and finds a copy changed by one byte
// broken. Started as:
//   signed_programs_test [gtest options] RELEASE_RUN SIGNER
// RELEASE_RUN is the folder check_reproducible.py leaves, holding signed/ and unsigned/ (a Unix
// path, reached through the \\?\unix\ namespace of Wine), SIGNER the name of the certificate
// that signed them.
#include "app/texts.h"
#include "decrypt_app/window_texts.h"
#include "res/version.h"
#include "tests/cli/cli_driver.h"
#include "tests/support/program_driver.h"
#include "tests/support/scratch_tree.h"
#include <gtest/gtest.h>
#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>
#include <cstdio>
#include <vector>

namespace {

std::wstring ReleaseRun;
std::wstring SignerName;

const wchar_t* const Programs[] = {L"rescindo.exe", L"rescindo-cli.exe", L"rescindo-decrypt.exe"};

std::wstring Signed(const wchar_t* name) {
    return ReleaseRun + L"\\signed\\" + name;
}

std::wstring Unsigned(const wchar_t* name) {
    return ReleaseRun + L"\\unsigned\\" + name;
}

// What Explorer's Digital Signatures tab and Get-AuthenticodeSignature rest on: the
// Authenticode policy's verdict on the file, without asking anyone (no window, no revocation
// lists from the network).
LONG TrustVerdict(const std::wstring& path) {
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    LONG verdict = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return verdict;
}

// The name on the certificate of the signature embedded in the file, "" if there is none.
std::wstring EmbeddedSigner(const std::wstring& path) {
    HCERTSTORE store = nullptr;
    HCRYPTMSG message = nullptr;
    DWORD encoding = 0, content = 0, format = 0;
    if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(),
                          CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED, CERT_QUERY_FORMAT_FLAG_BINARY,
                          0, &encoding, &content, &format, &store, &message, nullptr)) {
        return L"";
    }
    std::wstring name;
    DWORD size = 0;
    if (CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size)) {
        std::vector<BYTE> buffer(size);
        CMSG_SIGNER_INFO* signer = reinterpret_cast<CMSG_SIGNER_INFO*>(buffer.data());
        if (CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, signer, &size)) {
            CERT_INFO wanted = {};
            wanted.Issuer = signer->Issuer;
            wanted.SerialNumber = signer->SerialNumber;
            PCCERT_CONTEXT certificate =
                CertFindCertificateInStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                           CERT_FIND_SUBJECT_CERT, &wanted, nullptr);
            if (certificate != nullptr) {
                wchar_t text[256] = L"";
                CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, text,
                                   256);
                name = text;
                CertFreeCertificateContext(certificate);
            }
        }
    }
    CryptMsgClose(message);
    CertCloseStore(store, 0);
    return name;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(SignedProgram, ConsoleProgramTellsItsVersionAndScansAnEmptyDrive) {
    ProgramPath = Signed(L"rescindo-cli.exe");
    CliResult version = RunCli({L"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("rescindo-cli ") + RESCINDO_VERSION_TEXT + "\r\n");
    EXPECT_EQ(version.err, "");

    CliResult scan = RunCli({L"scan", L"--json", L"D:\\"});
    EXPECT_EQ(scan.exitCode, 0) << scan.out << scan.err;
    EXPECT_EQ(scan.err, "");
    std::vector<nlohmann::json> lines = JsonLines(scan.out);
    ASSERT_EQ(lines.size(), 1u) << scan.out;
    EXPECT_EQ(lines[0]["kind"], "summary");
}

TEST(SignedProgram, DialogProgramShowsItsDialog) {
    ProgramPath = Signed(L"rescindo.exe");
    ProgramRun run;
    EXPECT_TRUE(StartProgramCaptioned(&run, WindowCaption));
    StopProgram(&run);
}

TEST(SignedProgram, DecryptProgramShowsItsWindow) {
    ProgramPath = Signed(L"rescindo-decrypt.exe");
    ProgramRun run;
    EXPECT_TRUE(StartProgramCaptioned(&run, WindowTexts[TextCaption].english));
    StopProgram(&run);
}

TEST(SignedProgram, WindowsFindsEachSignatureIntactAndBrokenByAChangedByte) {
    for (const wchar_t* name : Programs) {
        SCOPED_TRACE(Narrow(name));
        // The throwaway root is in no store of this machine: Windows says so, Wine lets it pass;
        // what matters here is that the signature is there and its digest right.
        LONG verdict = TrustVerdict(Signed(name));
        EXPECT_TRUE(verdict == ERROR_SUCCESS || verdict == CERT_E_UNTRUSTEDROOT)
            << std::hex << verdict;
        EXPECT_EQ(EmbeddedSigner(Signed(name)), SignerName);
        EXPECT_EQ(TrustVerdict(Unsigned(name)), TRUST_E_NOSIGNATURE);
        EXPECT_EQ(EmbeddedSigner(Unsigned(name)), L"");

        // A copy with a byte in the middle of the program, which the signature covers, changed.
        std::string bytes;
        ASSERT_TRUE(ReadWhole(Signed(name), &bytes));
        ASSERT_GT(bytes.size(), 4096u);
        bytes[bytes.size() / 2] ^= 0x01;
        wchar_t folder[MAX_PATH];
        ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
        std::wstring changed = std::wstring(folder) + L"changed-" + name;
        ASSERT_TRUE(WriteWhole(changed, bytes));
        EXPECT_EQ(TrustVerdict(changed), TRUST_E_BAD_DIGEST);
        EXPECT_EQ(EmbeddedSigner(changed), SignerName);
        DeleteFileW(changed.c_str());
    }
}

std::wstring Wide(const char* text) {
    wchar_t wide[1024];
    if (MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 1024) == 0) {
        return L"";
    }
    return wide;
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s [gtest options] RELEASE_RUN SIGNER\n", argv[0]);
        return 2;
    }
    ReleaseRun = Wide(argv[1]);
    SignerName = Wide(argv[2]);
    if (!ReleaseRun.empty() && ReleaseRun[0] == L'/') {
        for (wchar_t& c : ReleaseRun) {
            c = c == L'/' ? L'\\' : c;
        }
        ReleaseRun = L"\\\\?\\unix" + ReleaseRun;
    }
    return RUN_ALL_TESTS();
}
