// Finds gate circuits for the eight DES S-boxes and writes them as crypto/des_sbox_circuits.h, for
// the bitsliced DES. Built and run by hand, the output is committed:
//   g++ -O2 -std=c++17 crypto/make_des_circuits.cpp -o /tmp/make_des_circuits &&
//   /tmp/make_des_circuits > crypto/des_sbox_circuits.h && clang-format -i
//   crypto/des_sbox_circuits.h
//
// The search follows M. Kwan, "Reducing the gate count of bitslice DES" (IACR ePrint 2000/051):
// each output bit is built on top of the gates already made for the box; a target that no existing
// gate gives, nor one new gate over two existing ones, is split on an input bit into two smaller
// targets that each have to be right on half the inputs only. Gates are the ones every vector unit
// has in one instruction: and, or, xor, and-not, and not (an xor with all ones). Every circuit is
// checked on all 64 inputs before anything is written.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

typedef uint64_t Table; // truth table over the 64 inputs; bit x is the value at input x

// FIPS 46-3 S-boxes S1..S8, [box][row * 16 + column].
const uint8_t SBoxes[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8, 3, 10, 6, 12, 5,  9,  0,  7,  0,  15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5, 3, 8,  4, 1,  14, 8,  13, 6,  2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2, 4, 9,  1, 7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8,  14, 6,  11, 3,  4, 9,  7,  2, 13, 12, 0,  5,  10, 3,  13, 4,  7, 15, 2,
     8,  14, 12, 0,  1,  10, 6,  9, 11, 5,  0, 14, 7,  11, 10, 4,  13, 1,  5,  8, 12, 6,
     9,  3,  2,  15, 13, 8,  10, 1, 3,  15, 4, 2,  11, 6,  7,  12, 0,  5,  14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7, 11, 4,  2,  8,  13, 7, 0,  9, 3, 4,
     6,  10, 2,  8,  5, 14, 12, 11, 15, 1,  13, 6, 4,  9,  8,  15, 3,  0, 11, 1, 2, 12,
     5,  10, 14, 7,  1, 10, 13, 0,  6,  9,  8,  7, 4,  15, 14, 3,  11, 5, 2,  12},
    {7, 13, 14, 3, 0, 6,  9, 10, 1,  2, 8,  5, 11, 12, 4,  15, 13, 8,  11, 5, 6, 15,
     0, 3,  4,  7, 2, 12, 1, 10, 14, 9, 10, 6, 9,  0,  12, 11, 7,  13, 15, 1, 3, 14,
     5, 2,  8,  4, 3, 15, 0, 6,  10, 1, 13, 8, 9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4, 1,  7,  10, 11, 6, 8, 5,  3, 15, 13, 0,  14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5, 0,  15, 10, 3,  9, 8, 6,  4, 2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,
     6,  3,  0, 14, 11, 8,  12, 7, 1, 14, 2, 13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6, 8,  0, 13, 3,  4,  14, 7,  5, 11, 10, 15, 4, 2, 7, 12,
     9,  5,  6,  1,  13, 14, 0, 11, 3, 8,  9,  14, 15, 5,  2, 8,  12, 3,  7, 0, 4, 10,
     1,  13, 11, 6,  4,  3,  2, 12, 9, 5,  15, 10, 11, 14, 1, 7,  6,  0,  8, 13},
    {4, 11, 2,  14, 15, 0,  8,  13, 3, 12, 9,  7, 5,  10, 6,  1,  13, 0,  11, 7,  4, 9,
     1, 10, 14, 3,  5,  12, 2,  15, 8, 6,  1,  4, 11, 13, 12, 3,  7,  14, 10, 15, 6, 8,
     0, 5,  9,  2,  6,  11, 13, 8,  1, 4,  10, 7, 9,  5,  0,  15, 14, 2,  3,  12},
    {13, 2, 8,  4, 6, 15, 11, 1,  10, 9,  3, 14, 5,  0,  12, 7,  1,  15, 13, 8, 10, 3,
     7,  4, 12, 5, 6, 11, 0,  14, 9,  2,  7, 11, 4,  1,  9,  12, 14, 2,  0,  6, 10, 13,
     15, 3, 5,  8, 2, 1,  14, 7,  4,  10, 8, 13, 15, 12, 9,  0,  3,  5,  6,  11}};

enum Op { OpInput, OpAnd, OpOr, OpXor, OpAndNot, OpNot }; // OpAndNot is a & ~b, OpNot ~a

struct Gate {
    Op op;
    int a, b;
};

const int MaxGates = 200;

struct Circuit {
    int count;
    Table table[MaxGates];
    Gate gate[MaxGates];
};

// Input i (0 for the first S-box input bit, the row's high bit) is bit 5 - i of the input value.
Table InputTable(int i) {
    Table t = 0;
    for (int x = 0; x < 64; x++)
        if ((x >> (5 - i)) & 1)
            t |= Table(1) << x;
    return t;
}

// Output bit j (0 for the most significant bit of the box's 4-bit value) as a function of the
// six input bits b1..b6, where the row is b1 b6 and the column b2 b3 b4 b5.
Table OutputTable(int box, int j) {
    Table t = 0;
    for (int x = 0; x < 64; x++) {
        int row = ((x >> 4) & 2) | (x & 1), column = (x >> 1) & 15;
        if ((SBoxes[box][row * 16 + column] >> (3 - j)) & 1)
            t |= Table(1) << x;
    }
    return t;
}

Table Apply(Op op, Table a, Table b) {
    switch (op) {
    case OpAnd:
        return a & b;
    case OpOr:
        return a | b;
    case OpXor:
        return a ^ b;
    case OpAndNot:
        return a & ~b;
    case OpNot:
        return ~a;
    default:
        abort();
    }
}

int Add(Circuit* c, Op op, int a, int b) {
    if (c->count >= MaxGates)
        abort();
    c->gate[c->count] = {op, a, b};
    c->table[c->count] = Apply(op, c->table[a], c->table[b]);
    return c->count++;
}

bool Matches(Table t, Table target, Table care) {
    return ((t ^ target) & care) == 0;
}

const int Unreachable = 1 << 20;

// A gate for target on care that the circuit has already (cost 0) or that one new gate over two
// existing ones gives (cost 1), without adding it; cost -1 when there is none.
struct QuickGate {
    int cost;
    Gate gate;
};

QuickGate FindQuick(const Circuit* c, Table target, Table care) {
    Table ones = target & care, zeros = ~target & care;
    // Candidates by what each operation needs of its operands on the care set.
    int covers[MaxGates], within[MaxGates], outside[MaxGates]; // superset, subset, disjoint
    int coverCount = 0, withinCount = 0, outsideCount = 0;
    for (int i = 0; i < c->count; i++) {
        Table t = c->table[i];
        if (Matches(t, target, care))
            return {0, {OpInput, i, i}};
        if ((ones & ~t) == 0)
            covers[coverCount++] = i;
        if ((zeros & t) == 0)
            within[withinCount++] = i;
        if ((ones & t) == 0)
            outside[outsideCount++] = i;
    }
    for (int i = 0; i < c->count; i++)
        if (Matches(~c->table[i], target, care))
            return {1, {OpNot, i, i}};
    for (int x = 0; x < coverCount; x++) // a & b: both cover the ones
        for (int y = x + 1; y < coverCount; y++)
            if (Matches(c->table[covers[x]] & c->table[covers[y]], target, care))
                return {1, {OpAnd, covers[x], covers[y]}};
    for (int x = 0; x < withinCount; x++) // a | b: neither touches the zeros
        for (int y = x + 1; y < withinCount; y++)
            if (Matches(c->table[within[x]] | c->table[within[y]], target, care))
                return {1, {OpOr, within[x], within[y]}};
    for (int x = 0; x < coverCount; x++) // a & ~b: a covers the ones, b misses them
        for (int y = 0; y < outsideCount; y++)
            if (Matches(c->table[covers[x]] & ~c->table[outside[y]], target, care))
                return {1, {OpAndNot, covers[x], outside[y]}};
    for (int i = 0; i < c->count; i++)
        for (int j = i + 1; j < c->count; j++)
            if (Matches(c->table[i] ^ c->table[j], target, care))
                return {1, {OpXor, i, j}};
    return {-1, {OpInput, 0, 0}};
}

// One way of splitting a target on input v: out = f0 ^ (side & f1), f0 | (side & f1) or
// f0 & ~(side & ~f1), where side is v or ~v. f0 has to be right off the side (and, for the or and
// and forms, must not set a bit the target clears, or clear one it sets); f1 mends the side.
struct Split {
    int input, form; // form: bit 0 set when side is v; form >> 1: 0 xor, 1 or, 2 and
};

Table SideOf(const Circuit* c, Split split) {
    return (split.form & 1) ? c->table[split.input] : ~c->table[split.input];
}

Table CareOfFirst(Table side, Table target, Table care, int form) {
    switch (form >> 1) {
    case 0:
        return care & ~side;
    case 1:
        return care & (~side | ~target);
    default:
        return care & (~side | target);
    }
}

void SecondTarget(Table side, Table target, Table care, int form, Table t0, Table* target1,
                  Table* care1) {
    switch (form >> 1) {
    case 0:
        *care1 = care & side;
        *target1 = target ^ t0;
        break;
    case 1:
        *care1 = care & side & (~target | ~t0);
        *target1 = target;
        break;
    default:
        *care1 = care & side & (target | t0);
        *target1 = target;
        break;
    }
}

int Combine(Circuit* c, Split split, int f0, int f1) {
    int v = split.input;
    switch (split.form) {
    case 0:
        return Add(c, OpXor, f0, Add(c, OpAndNot, f1, v));
    case 1:
        return Add(c, OpXor, f0, Add(c, OpAnd, v, f1));
    case 2:
        return Add(c, OpOr, f0, Add(c, OpAndNot, f1, v));
    case 3:
        return Add(c, OpOr, f0, Add(c, OpAnd, v, f1));
    case 4:
        return Add(c, OpAnd, f0, Add(c, OpOr, v, f1));
    default:
        return Add(c, OpAndNot, f0, Add(c, OpAndNot, v, f1));
    }
}

int AddQuick(Circuit* c, QuickGate q) {
    return q.cost == 0 ? q.gate.a : Add(c, q.gate.op, q.gate.a, q.gate.b);
}

// Guessed cost of a split from what is at hand: parts found at once count what they cost, the
// others three gates each.
int GuessCost(const Circuit* c, Split split, Table target, Table care) {
    Table side = SideOf(c, split);
    QuickGate q0 = FindQuick(c, target, CareOfFirst(side, target, care, split.form));
    if (q0.cost < 0)
        return 2 + 3 + 3;
    Table t0 = q0.cost == 0 ? c->table[q0.gate.a]
                            : Apply(q0.gate.op, c->table[q0.gate.a], c->table[q0.gate.b]);
    Table target1, care1;
    SecondTarget(side, target, care, split.form, t0, &target1, &care1);
    QuickGate q1 = FindQuick(c, target1, care1);
    return 2 + q0.cost + (q1.cost < 0 ? 3 : q1.cost);
}

// Builds a gate that equals target wherever care is set, adding as few gates as it can find (at
// most limit), and returns its index, or -1. Inputs already split on are left out of freeInputs.
// The top `exhaustive` levels of splits try every input and form; below them each split takes
// the one whose parts look cheapest.
int Build(Circuit* c, Table target, Table care, unsigned freeInputs, int limit, int exhaustive) {
    QuickGate quick = FindQuick(c, target, care);
    if (quick.cost >= 0 && quick.cost <= limit)
        return AddQuick(c, quick);
    if (limit < 2 || freeInputs == 0)
        return -1;
    Split splits[36];
    int splitCount = 0;
    for (int v = 0; v < 6; v++)
        if ((freeInputs >> v) & 1)
            for (int form = 0; form < 6; form++)
                splits[splitCount++] = {v, form};
    if (exhaustive <= 0) {
        int bestGuess = Unreachable;
        Split chosen = splits[0];
        for (int i = 0; i < splitCount; i++) {
            int guess = GuessCost(c, splits[i], target, care);
            if (guess < bestGuess) {
                bestGuess = guess;
                chosen = splits[i];
            }
        }
        splits[0] = chosen;
        splitCount = 1;
    }

    Circuit best;
    int bestCost = limit + 1, bestResult = -1;
    for (int i = 0; i < splitCount; i++) {
        Circuit trial = *c;
        int budget = bestCost - 1 - 2; // strictly better than the best so far
        Table side = SideOf(c, splits[i]);
        unsigned rest = freeInputs & ~(1u << splits[i].input);
        int f0 = Build(&trial, target, CareOfFirst(side, target, care, splits[i].form), rest,
                       budget, exhaustive - 1);
        if (f0 < 0)
            continue;
        Table target1, care1;
        SecondTarget(side, target, care, splits[i].form, trial.table[f0], &target1, &care1);
        int f1 =
            Build(&trial, target1, care1, rest, budget - (trial.count - c->count), exhaustive - 1);
        if (f1 < 0)
            continue;
        int out = Combine(&trial, splits[i], f0, f1);
        if (!Matches(trial.table[out], target, care))
            abort();
        if (trial.count - c->count < bestCost) {
            bestCost = trial.count - c->count;
            best = trial;
            bestResult = out;
        }
    }
    if (bestResult >= 0)
        *c = best;
    return bestResult;
}

// The cheapest circuit for all four outputs of one box over the orders in which they are built.
int BuildBox(int box, Circuit* result, int outputs[4], int exhaustive) {
    int bestCount = Unreachable;
    int order[4] = {0, 1, 2, 3};
    do {
        Circuit c;
        c.count = 0;
        for (int i = 0; i < 6; i++) {
            c.gate[i] = {OpInput, i, i};
            c.table[i] = InputTable(i);
            c.count++;
        }
        int found[4];
        bool ok = true;
        for (int k = 0; k < 4 && ok; k++) {
            int j = order[k];
            found[j] =
                Build(&c, OutputTable(box, j), ~Table(0), 63, bestCount - c.count - 1, exhaustive);
            ok = found[j] >= 0;
        }
        if (ok && c.count < bestCount) {
            bestCount = c.count;
            *result = c;
            for (int j = 0; j < 4; j++)
                outputs[j] = found[j];
        }
    } while (std::next_permutation(order, order + 4));
    return bestCount - 6;
}

// Drops gates no output depends on and checks the outputs on all 64 inputs.
void Prune(Circuit* c, int outputs[4]) {
    bool live[MaxGates] = {};
    for (int j = 0; j < 4; j++)
        live[outputs[j]] = true;
    for (int i = c->count - 1; i >= 6; i--)
        if (live[i])
            live[c->gate[i].a] = live[c->gate[i].b] = true;
    int renumber[MaxGates];
    Circuit kept;
    kept.count = 0;
    for (int i = 0; i < c->count; i++) {
        if (i >= 6 && !live[i])
            continue;
        Gate g = c->gate[i];
        if (i >= 6)
            g = {g.op, renumber[g.a], renumber[g.b]};
        kept.gate[kept.count] = g;
        kept.table[kept.count] = c->table[i];
        renumber[i] = kept.count++;
    }
    for (int j = 0; j < 4; j++)
        outputs[j] = renumber[outputs[j]];
    *c = kept;
}

bool Verify(const Circuit& c, int box, const int outputs[4]) {
    Table t[MaxGates];
    for (int i = 0; i < c.count; i++)
        t[i] = i < 6 ? InputTable(i) : Apply(c.gate[i].op, t[c.gate[i].a], t[c.gate[i].b]);
    for (int j = 0; j < 4; j++)
        if (t[outputs[j]] != OutputTable(box, j))
            return false;
    return true;
}

void Name(char* out, int i) {
    if (i < 6)
        snprintf(out, 16, "a%d", i + 1);
    else
        snprintf(out, 16, "x%d", i - 5);
}

void Emit(const Circuit& c, int box, const int outputs[4]) {
    printf("\n// S%d: %d gates.\n", box + 1, c.count - 6);
    printf("static inline __attribute__((always_inline)) void DesSbox%d(Slice a1, Slice a2, "
           "Slice a3, Slice a4, Slice a5, Slice a6, Slice* out1, Slice* out2, Slice* out3, "
           "Slice* out4) {\n",
           box + 1);
    for (int i = 6; i < c.count; i++) {
        char x[16], a[16], b[16];
        Name(x, i);
        Name(a, c.gate[i].a);
        Name(b, c.gate[i].b);
        const char* form = c.gate[i].op == OpAnd      ? "%s & %s"
                           : c.gate[i].op == OpOr     ? "%s | %s"
                           : c.gate[i].op == OpXor    ? "%s ^ %s"
                           : c.gate[i].op == OpAndNot ? "%s & ~%s"
                                                      : "~%s";
        printf("    Slice %s = ", x);
        printf(form, a, b);
        printf(";\n");
    }
    for (int j = 0; j < 4; j++) {
        char x[16];
        Name(x, outputs[j]);
        printf("    *out%d ^= %s;\n", j + 1, x);
    }
    printf("}\n");
}

} // namespace

int main(int argc, char** argv) {
    // How many levels of splits try every input and form; more search longer for smaller circuits.
    int exhaustive = argc > 1 ? atoi(argv[1]) : 1;
    printf(
        "// DES S-boxes S1..S8 as gate circuits for the bitsliced DES: each xors the box's four\n"
        "// output bits (out1 the most significant) into *out1..*out4, given the six input bits\n"
        "// (a1 the first, row = a1 a6, column = a2 a3 a4 a5) of as many blocks as a Slice has\n"
        "// bits. Include it where Slice names a type with the bitwise operators; each vector\n"
        "// unit's file includes it inside its own target region. Written by\n"
        "// make_des_circuits.cpp, which checked each circuit on all 64 inputs against the\n"
        "// FIPS 46-3 S-boxes; do not edit by hand.\n");
    int total = 0;
    for (int box = 0; box < 8; box++) {
        Circuit c;
        int outputs[4];
        int gates = BuildBox(box, &c, outputs, exhaustive);
        if (gates >= Unreachable - 6) {
            fprintf(stderr, "S%d: no circuit\n", box + 1);
            return 1;
        }
        Prune(&c, outputs);
        if (!Verify(c, box, outputs)) {
            fprintf(stderr, "S%d: circuit does not match the table\n", box + 1);
            return 1;
        }
        fprintf(stderr, "S%d: %d gates\n", box + 1, c.count - 6);
        total += c.count - 6;
        Emit(c, box, outputs);
    }
    fprintf(stderr, "total %d, average %.2f\n", total, total / 8.0);
    return 0;
}
