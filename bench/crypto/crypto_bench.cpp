// MB/s of our primitives and OpenSSL's on the same buffers, with the ratio ours / OpenSSL: the
// best of several repetitions of each. Triple-DES runs at the level the processor gives and at
// each lower level pinned in turn.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "crypto/base64.h"
#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "crypto/sha256.h"
#include "crypto/simd_level.h"
#include "tests/crypto/openssl_oracle.h"

namespace {

const uint32_t BufferSize = 8192; // the decryptor's chunk size
uint8_t Input[BufferSize], Output[BufferSize];
char Text[BufferSize * 4 / 3 + 8];
const uint8_t Key[16] = {1, 35, 69, 103, 137, 171, 205, 239, 254, 220, 186, 152, 118, 84, 50, 16};
const uint8_t Iv[8] = {9, 8, 7, 6, 5, 4, 3, 2};
BlowfishState Blowfish;

void Fill() {
    for (uint32_t i = 0; i < BufferSize; i++)
        Input[i] = uint8_t(i * 131 + 7);
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(int64_t(state.iterations()) * BufferSize);
}

void OursBlowfishCbcDecrypt(benchmark::State& state) {
    BlowfishSetKey(&Blowfish, Key, 16, Iv);
    for (auto _ : state) {
        BlowfishCbcDecrypt(&Blowfish, Input, Output, BufferSize);
        benchmark::DoNotOptimize(Output);
    }
    SetBytes(state);
}

void TripleDesCbcDecryptAt(benchmark::State& state, SimdLevel level) {
    if (!PinSimdLevel(level)) {
        state.SkipWithError("not on this processor");
        return;
    }
    DesSetKey(Key, &ProcessTripleDes.schedule1);
    DesSetKey(Key + 8, &ProcessTripleDes.schedule2);
    ProcessTripleDes.schedule3 = ProcessTripleDes.schedule1;
    memcpy(ProcessTripleDes.ivRegister, Iv, 8);
    for (auto _ : state) {
        TripleDesCbcDecrypt(Input, Output, BufferSize);
        benchmark::DoNotOptimize(Output);
    }
    SetBytes(state);
    PinSimdLevel(SupportedSimdLevel());
}

void OursTripleDesCbcDecrypt(benchmark::State& state) {
    TripleDesCbcDecryptAt(state, SupportedSimdLevel());
}

void OursTripleDesCbcDecryptSse2(benchmark::State& state) {
    TripleDesCbcDecryptAt(state, SimdLevelSse2);
}

void OursTripleDesCbcDecryptPortable(benchmark::State& state) {
    TripleDesCbcDecryptAt(state, SimdLevelPortable);
}

void OursSha256(benchmark::State& state) {
    uint8_t digest[32];
    for (auto _ : state) {
        Sha256Context context;
        Sha256Init(&context);
        Sha256Update(&context, Input, BufferSize);
        Sha256Final(&context, digest);
        benchmark::DoNotOptimize(digest);
    }
    SetBytes(state);
}

void OursBase64(benchmark::State& state) {
    for (auto _ : state) {
        Base64Encode(Input, BufferSize, Text, sizeof Text);
        benchmark::DoNotOptimize(Text);
    }
    SetBytes(state);
}

void OpenSslCbcDecrypt(benchmark::State& state, const EVP_CIPHER* cipher, int keyLength) {
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_DecryptInit_ex(context, cipher, nullptr, nullptr, nullptr);
    EVP_CIPHER_CTX_set_key_length(context, keyLength);
    EVP_DecryptInit_ex(context, nullptr, nullptr, Key, Iv);
    EVP_CIPHER_CTX_set_padding(context, 0);
    for (auto _ : state) {
        int length = 0;
        EVP_DecryptUpdate(context, Output, &length, Input, int(BufferSize));
        benchmark::DoNotOptimize(Output);
    }
    EVP_CIPHER_CTX_free(context);
    SetBytes(state);
}

void OpenSslBlowfishCbcDecrypt(benchmark::State& state) {
    OpenSslCbcDecrypt(state, EVP_bf_cbc(), 16);
}

void OpenSslTripleDesCbcDecrypt(benchmark::State& state) {
    OpenSslCbcDecrypt(state, EVP_des_ede_cbc(), 16);
}

void OpenSslSha256(benchmark::State& state) {
    uint8_t digest[32];
    for (auto _ : state) {
        OracleSha256(Input, BufferSize, digest);
        benchmark::DoNotOptimize(digest);
    }
    SetBytes(state);
}

void OpenSslBase64(benchmark::State& state) {
    for (auto _ : state) {
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(Text), Input, int(BufferSize));
        benchmark::DoNotOptimize(Text);
    }
    SetBytes(state);
}

// Keeps each benchmark's best throughput over its repetitions for the table of ratios.
struct RatioReporter : benchmark::ConsoleReporter {
    std::map<std::string, double> bytesPerSecond;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            double& best = bytesPerSecond[run.run_name.function_name];
            best = std::max(best, double(run.counters.at("bytes_per_second")));
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

BENCHMARK(OursBlowfishCbcDecrypt);
BENCHMARK(OpenSslBlowfishCbcDecrypt);
BENCHMARK(OursTripleDesCbcDecrypt);
BENCHMARK(OpenSslTripleDesCbcDecrypt);
BENCHMARK(OursTripleDesCbcDecryptSse2);
BENCHMARK(OursTripleDesCbcDecryptPortable);
BENCHMARK(OursSha256);
BENCHMARK(OpenSslSha256);
BENCHMARK(OursBase64);
BENCHMARK(OpenSslBase64);

int main(int argc, char** argv) {
    if (!OracleInit()) {
        fprintf(stderr, "OpenSSL providers did not load\n");
        return 1;
    }
    Fill();
    // Five repetitions unless the command line asks otherwise; the best of them counts.
    std::vector<char*> arguments(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    arguments.insert(arguments.begin() + 1, repetitions);
    int count = int(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const char* levels[] = {"portable", "SSE2", "AVX2"};
    printf(
        "\nbest of the repetitions; triple-DES at the level this processor gives (%s) and below\n",
        levels[SupportedSimdLevel()]);
    printf("%-30s %12s %12s %8s\n", "", "ours MB/s", "OpenSSL MB/s", "ratio");
    const char* rows[][2] = {{"BlowfishCbcDecrypt", "BlowfishCbcDecrypt"},
                             {"TripleDesCbcDecrypt", "TripleDesCbcDecrypt"},
                             {"TripleDesCbcDecryptSse2", "TripleDesCbcDecrypt"},
                             {"TripleDesCbcDecryptPortable", "TripleDesCbcDecrypt"},
                             {"Sha256", "Sha256"},
                             {"Base64", "Base64"}};
    for (auto& row : rows) {
        double ours = reporter.bytesPerSecond[std::string("Ours") + row[0]];
        double theirs = reporter.bytesPerSecond[std::string("OpenSsl") + row[1]];
        if (ours > 0 && theirs > 0)
            printf("%-30s %12.1f %12.1f %8.2f\n", row[0], ours / 1e6, theirs / 1e6, ours / theirs);
    }
    OracleShutdown();
    return 0;
}
