// The bitsliced triple-DES decryption: the gate circuits of its S-boxes against the S-box tables,
// and each vector unit this processor has, pinned in turn, against CBC defined from the block
// operations at every length 0..300, around each pass's width and one long run, with new keys.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
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
            EXPECT_EQ(Hex(ProcessTripleDes.ivRegister, 8), Hex(reg, 8)) << where;

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
            EXPECT_EQ(Hex(ProcessTripleDes.ivRegister, 8), Hex(reg, 8)) << where;
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

// The decryptor cuts long chunks in two and decrypts the halves on two threads at once: the
// front with a chain of its own, the back through the process-wide register from the front's
// last ciphertext block. Together, in place, they must give the whole run and its register.
TEST_F(PinnedLevels, TripleDesHalvesOnTwoThreadsGiveTheWholeRun) {
    TestRandom random = {33};
    const uint32_t front = 8 * DesAvx2Batch * 3;
    for (uint32_t n : {front + 8, front + 8 * DesAvx2Batch * 3 + 5, front + 1000}) {
        Bytes iv = RandomBytes(&random, 8), in = RandomBytes(&random, n);
        KeyTripleDes(&random, iv.data());
        uint8_t reg[8];
        memcpy(reg, iv.data(), 8);
        Bytes expected = TripleDesCbcByDefinition(in, reg);
        for (SimdLevel level : LevelsHere()) {
            ASSERT_EQ(PinSimdLevel(level), 1);
            std::string where = std::string(LevelName(level)) + ", length " + std::to_string(n);
            Bytes bytes = in;
            uint8_t frontChain[8];
            memcpy(frontChain, iv.data(), 8);
            memcpy(ProcessTripleDes.ivRegister, bytes.data() + front - 8, 8);
            TripleDesPrepareDecryption();
            std::thread back([&] {
                TripleDesCbcDecrypt(bytes.data() + front, bytes.data() + front, n - front);
            });
            TripleDesCbcDecryptBlocks(bytes.data(), bytes.data(), front / 8, frontChain);
            back.join();
            ASSERT_EQ(FirstDifference(bytes.data(), expected), "") << where;
            EXPECT_EQ(Hex(ProcessTripleDes.ivRegister, 8), Hex(reg, 8)) << where;
            EXPECT_EQ(Hex(frontChain, 8), Hex(in.data() + front - 8, 8)) << where;
        }
    }
}

} // namespace
