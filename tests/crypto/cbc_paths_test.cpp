// The fast CBC decryption paths (Blowfish's blocks in flight; triple-DES bitsliced on each vector
// unit, every unit this processor has pinned in turn) against CBC defined from the block
// operations: at every length 0..300, around each pass's width, one long run, in place and in
// pieces. The gate circuits of the bitsliced S-boxes against the S-box tables.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "crypto/des_bitslice.h"
#include "crypto/simd_level.h"
#include "tests/crypto/crypto_test_util.h"
#include "tests/crypto/reference_des.h"

namespace {

// Bit x of input table i is bit 5 - i of x: evaluating a circuit on these six words runs it on
// all 64 inputs at once.
typedef uint64_t Slice;
#include "crypto/des_sbox_circuits.h"

typedef void (*SboxCircuit)(Slice, Slice, Slice, Slice, Slice, Slice, Slice*, Slice*, Slice*,
                            Slice*);

TEST(CbcPaths, SboxCircuitsGiveTheSboxTables) {
    const SboxCircuit circuits[8] = {DesSbox1, DesSbox2, DesSbox3, DesSbox4,
                                     DesSbox5, DesSbox6, DesSbox7, DesSbox8};
    Slice inputs[6] = {};
    for (int x = 0; x < 64; x++)
        for (int i = 0; i < 6; i++)
            inputs[i] |= Slice((x >> (5 - i)) & 1) << x;
    for (int box = 0; box < 8; box++) {
        const Slice before = 0x0123456789abcdefull; // the circuits xor into what is there
        Slice outputs[4] = {before, before, before, before};
        circuits[box](inputs[0], inputs[1], inputs[2], inputs[3], inputs[4], inputs[5], &outputs[0],
                      &outputs[1], &outputs[2], &outputs[3]);
        for (int x = 0; x < 64; x++) {
            int value = 0;
            for (int j = 0; j < 4; j++)
                value = value << 1 | int(((outputs[j] ^ before) >> x) & 1);
            EXPECT_EQ(value, ReferenceSBox(box, x)) << "S" << box + 1 << " input " << x;
        }
    }
}

std::vector<SimdLevel> LevelsHere() {
    std::vector<SimdLevel> levels;
    for (int level = SimdLevelPortable; level <= SupportedSimdLevel(); level++)
        levels.push_back(SimdLevel(level));
    return levels;
}

const char* LevelName(SimdLevel level) {
    return level == SimdLevelAvx2 ? "AVX2" : level == SimdLevelSse2 ? "SSE2" : "portable";
}

struct PinnedLevels : ::testing::Test {
    void TearDown() override { PinSimdLevel(SupportedSimdLevel()); }
};

TEST_F(PinnedLevels, PinningTakesOnlyWhatTheProcessorHas) {
    SimdLevel supported = SupportedSimdLevel();
    std::printf("vector unit here: %s\n", LevelName(supported));
    EXPECT_EQ(ActiveSimdLevel(), supported);
    EXPECT_EQ(PinSimdLevel(SimdLevelPortable), 1);
    EXPECT_EQ(ActiveSimdLevel(), SimdLevelPortable);
    if (supported < SimdLevelAvx2) {
        EXPECT_EQ(PinSimdLevel(SimdLevel(supported + 1)), 0);
        EXPECT_EQ(ActiveSimdLevel(), SimdLevelPortable);
    }
    EXPECT_EQ(PinSimdLevel(SimdLevel(-1)), 0);
    EXPECT_EQ(PinSimdLevel(supported), 1);
    EXPECT_EQ(ActiveSimdLevel(), supported);
}

// Every length up to 300, the lengths around one and two passes of each width, and a long run
// with a tail (shorter in the product build, whose tests run emulated).
std::vector<uint32_t> Lengths() {
    std::vector<uint32_t> lengths;
    for (uint32_t n = 0; n <= 300; n++)
        lengths.push_back(n);
    for (uint32_t batch : {DesSse2Batch, DesAvx2Batch})
        for (uint32_t passes = 1; passes <= 2; passes++)
            for (int delta = -17; delta <= 17; delta += 2)
                lengths.push_back(uint32_t(int(passes * batch * 8) + delta));
    lengths.push_back(CRYPTO_TEST_ROUNDS >= 200 ? (1u << 20) + 13 : (1u << 16) + 13);
    return lengths;
}

// Empty when equal, else where the first difference is, with the 16 bytes from there.
std::string FirstDifference(const uint8_t* ours, const Bytes& expected) {
    for (size_t i = 0; i < expected.size(); i++) {
        if (ours[i] != expected[i]) {
            size_t count = std::min<size_t>(16, expected.size() - i);
            return "at byte " + std::to_string(i) + ": " + ToHex(ours + i, count) + " instead of " +
                   ToHex(&expected[i], count);
        }
    }
    return "";
}

// Random whole-block pieces, the last one taking the rest.
std::vector<uint32_t> Pieces(TestRandom* random, uint32_t length) {
    std::vector<uint32_t> pieces;
    for (uint32_t left = length; left > 0;) {
        uint32_t piece = left < 8 ? left : 8 * (NextRandom(random) % (left / 8 + 1));
        if (piece == 0 && NextRandom(random) % 4 != 0)
            continue;
        pieces.push_back(piece);
        left -= piece;
    }
    return pieces;
}

void KeyTripleDes(TestRandom* random, const uint8_t iv[8]) {
    Bytes key = RandomBytes(random, 16);
    DesSetKey(key.data(), &ProcessTripleDes.schedule1);
    DesSetKey(key.data() + 8, &ProcessTripleDes.schedule2);
    ProcessTripleDes.schedule3 = ProcessTripleDes.schedule1;
    memcpy(ProcessTripleDes.savedIv, iv, 8);
    memcpy(ProcessTripleDes.ivRegister, iv, 8);
}

TEST_F(PinnedLevels, TripleDesAtEachLevelMatchesItsDefinition) {
    TestRandom random = {31};
    for (uint32_t n : Lengths()) {
        Bytes iv = RandomBytes(&random, 8), in = RandomBytes(&random, n);
        KeyTripleDes(&random, iv.data());
        uint8_t reg[8];
        memcpy(reg, iv.data(), 8);
        Bytes expected = TripleDesCbcByDefinition(in, reg);
        std::vector<uint32_t> pieces = Pieces(&random, n);
        for (SimdLevel level : LevelsHere()) {
            ASSERT_EQ(PinSimdLevel(level), 1);
            std::string where = std::string(LevelName(level)) + ", length " + std::to_string(n);
            Bytes out(n + 1, 0x5a);
            memcpy(ProcessTripleDes.ivRegister, iv.data(), 8);
            TripleDesCbcDecrypt(in.data(), out.data(), n);
            ASSERT_EQ(FirstDifference(out.data(), expected), "") << where;
            EXPECT_EQ(out[n], 0x5a) << where << ": wrote past the end";
            EXPECT_EQ(ToHex(ProcessTripleDes.ivRegister, 8), ToHex(reg, 8)) << where;

            Bytes inPlace = in;
            memcpy(ProcessTripleDes.ivRegister, iv.data(), 8);
            TripleDesCbcDecrypt(inPlace.data(), inPlace.data(), n);
            ASSERT_EQ(FirstDifference(inPlace.data(), expected), "") << where << ", in place";

            Bytes split(n);
            memcpy(ProcessTripleDes.ivRegister, iv.data(), 8);
            uint32_t done = 0;
            for (uint32_t piece : pieces) {
                TripleDesCbcDecrypt(in.data() + done, split.data() + done, piece);
                done += piece;
            }
            ASSERT_EQ(FirstDifference(split.data(), expected), "")
                << where << ", in " << pieces.size() << " pieces";
            EXPECT_EQ(ToHex(ProcessTripleDes.ivRegister, 8), ToHex(reg, 8)) << where;
        }
    }
}

// A new key between two runs must reach the bitsliced passes too.
TEST_F(PinnedLevels, TripleDesFollowsANewKey) {
    TestRandom random = {32};
    Bytes iv = RandomBytes(&random, 8), in = RandomBytes(&random, 8 * DesAvx2Batch);
    for (SimdLevel level : LevelsHere()) {
        ASSERT_EQ(PinSimdLevel(level), 1);
        for (int key = 0; key < 3; key++) {
            KeyTripleDes(&random, iv.data());
            if (key == 2) // one schedule alone changes
                DesSetKey(RandomBytes(&random, 8).data(), &ProcessTripleDes.schedule3);
            uint8_t reg[8];
            memcpy(reg, iv.data(), 8);
            Bytes expected = TripleDesCbcByDefinition(in, reg);
            Bytes out(in.size());
            TripleDesCbcDecrypt(in.data(), out.data(), uint32_t(in.size()));
            ASSERT_EQ(FirstDifference(out.data(), expected), "")
                << LevelName(level) << ", key " << key;
        }
    }
}

BlowfishState State;

TEST(CbcPaths, BlowfishMatchesItsDefinition) {
    TestRandom random = {33};
    for (uint32_t n : Lengths()) {
        Bytes key = RandomBytes(&random, 4 + 4 * (NextRandom(&random) % 14));
        Bytes iv = RandomBytes(&random, 8), in = RandomBytes(&random, n);
        BlowfishSetKey(&State, key.data(), uint32_t(key.size()), iv.data());
        uint8_t reg[8];
        memcpy(reg, iv.data(), 8);
        Bytes expected = BlowfishCbcByDefinition(&State, in, false, reg);
        std::string where = "length " + std::to_string(n);

        Bytes out(n + 1, 0x5a);
        BlowfishCbcDecrypt(&State, in.data(), out.data(), n);
        ASSERT_EQ(FirstDifference(out.data(), expected), "") << where;
        EXPECT_EQ(out[n], 0x5a) << where << ": wrote past the end";
        EXPECT_EQ(ToHex(State.ivRegister, 8), ToHex(reg, 8)) << where;

        Bytes inPlace = in;
        BlowfishReset(&State);
        BlowfishCbcDecrypt(&State, inPlace.data(), inPlace.data(), n);
        ASSERT_EQ(FirstDifference(inPlace.data(), expected), "") << where << ", in place";

        Bytes split(n);
        BlowfishReset(&State);
        uint32_t done = 0;
        for (uint32_t piece : Pieces(&random, n)) {
            BlowfishCbcDecrypt(&State, in.data() + done, split.data() + done, piece);
            done += piece;
        }
        ASSERT_EQ(FirstDifference(split.data(), expected), "") << where << ", in pieces";
        EXPECT_EQ(ToHex(State.ivRegister, 8), ToHex(reg, 8)) << where;
    }
}

} // namespace
