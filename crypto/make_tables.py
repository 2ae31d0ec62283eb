#!/usr/bin/env python3
"""Writes crypto/blowfish_tables.cpp and crypto/des_tables.cpp. Run once from the repository root,
then clang-format both; the output is committed. The DES tables are checked here against a
bit-by-bit DES before anything is written."""
import random



def pi_fraction_words(count):
    # pi by Machin's formula in fixed point, 64 guard bits; returns the first `count` 32-bit words
    # of its fractional part.
    def arctan_inv(x, one):
        total = term = one // x
        n, sign = 1, -1
        while term:
            term //= x * x
            n += 2
            total += sign * (term // n)
            sign = -sign
        return total
    bits = count * 32 + 64
    one = 1 << bits
    pi = 16 * arctan_inv(5, one) - 4 * arctan_inv(239, one)
    frac = (pi - 3 * one) >> 64
    return [(frac >> (32 * (count - 1 - i))) & 0xFFFFFFFF for i in range(count)]


def words(values, indent, per_line):
    return "\n".join(indent + " ".join("0x%08x," % v for v in values[i:i + per_line])
                     for i in range(0, len(values), per_line))


# ---- DES: the FIPS 46-3 tables, a bit-by-bit DES, and the fast tables in the layout of des_core.h.
# Bit numbers follow the standard: 1 is the most significant bit of the first byte.
IP = [58,50,42,34,26,18,10,2,60,52,44,36,28,20,12,4,62,54,46,38,30,22,14,6,64,56,48,40,32,24,16,8,
      57,49,41,33,25,17,9,1,59,51,43,35,27,19,11,3,61,53,45,37,29,21,13,5,63,55,47,39,31,23,15,7]
FPT = [IP.index(i)+1 for i in range(1,65)]
E = [32,1,2,3,4,5,4,5,6,7,8,9,8,9,10,11,12,13,12,13,14,15,16,17,16,17,18,19,20,21,20,21,22,23,24,25,24,25,26,27,28,29,28,29,30,31,32,1]
P = [16,7,20,21,29,12,28,17,1,15,23,26,5,18,31,10,2,8,24,14,32,27,3,9,19,13,30,6,22,11,4,25]
PC1 = [57,49,41,33,25,17,9,1,58,50,42,34,26,18,10,2,59,51,43,35,27,19,11,3,60,52,44,36,
       63,55,47,39,31,23,15,7,62,54,46,38,30,22,14,6,61,53,45,37,29,21,13,5,28,20,12,4]
PC2 = [14,17,11,24,1,5,3,28,15,6,21,10,23,19,12,4,26,8,16,7,27,20,13,2,
       41,52,31,37,47,55,30,40,51,45,33,48,44,49,39,56,34,53,46,42,50,36,29,32]
SHIFTS=[1,1,2,2,2,2,2,2,1,2,2,2,2,2,2,1]
S = [
[14,4,13,1,2,15,11,8,3,10,6,12,5,9,0,7,0,15,7,4,14,2,13,1,10,6,12,11,9,5,3,8,4,1,14,8,13,6,2,11,15,12,9,7,3,10,5,0,15,12,8,2,4,9,1,7,5,11,3,14,10,0,6,13],
[15,1,8,14,6,11,3,4,9,7,2,13,12,0,5,10,3,13,4,7,15,2,8,14,12,0,1,10,6,9,11,5,0,14,7,11,10,4,13,1,5,8,12,6,9,3,2,15,13,8,10,1,3,15,4,2,11,6,7,12,0,5,14,9],
[10,0,9,14,6,3,15,5,1,13,12,7,11,4,2,8,13,7,0,9,3,4,6,10,2,8,5,14,12,11,15,1,13,6,4,9,8,15,3,0,11,1,2,12,5,10,14,7,1,10,13,0,6,9,8,7,4,15,14,3,11,5,2,12],
[7,13,14,3,0,6,9,10,1,2,8,5,11,12,4,15,13,8,11,5,6,15,0,3,4,7,2,12,1,10,14,9,10,6,9,0,12,11,7,13,15,1,3,14,5,2,8,4,3,15,0,6,10,1,13,8,9,4,5,11,12,7,2,14],
[2,12,4,1,7,10,11,6,8,5,3,15,13,0,14,9,14,11,2,12,4,7,13,1,5,0,15,10,3,9,8,6,4,2,1,11,10,13,7,8,15,9,12,5,6,3,0,14,11,8,12,7,1,14,2,13,6,15,0,9,10,4,5,3],
[12,1,10,15,9,2,6,8,0,13,3,4,14,7,5,11,10,15,4,2,7,12,9,5,6,1,13,14,0,11,3,8,9,14,15,5,2,8,12,3,7,0,4,10,1,13,11,6,4,3,2,12,9,5,15,10,11,14,1,7,6,0,8,13],
[4,11,2,14,15,0,8,13,3,12,9,7,5,10,6,1,13,0,11,7,4,9,1,10,14,3,5,12,2,15,8,6,1,4,11,13,12,3,7,14,10,15,6,8,0,5,9,2,6,11,13,8,1,4,10,7,9,5,0,15,14,2,3,12],
[13,2,8,4,6,15,11,1,10,9,3,14,5,0,12,7,1,15,13,8,10,3,7,4,12,5,6,11,0,14,9,2,7,11,4,1,9,12,14,2,0,6,10,13,15,3,5,8,2,1,14,7,4,10,8,13,15,12,9,0,3,5,6,11]]
M=0xffffffff
def rotl(x,r): r%=32; return ((x<<r)|(x>>(32-r)))&M if r else x
# ---- DES one bit at a time, straight from the standard; the fast tables are checked against it.
def bits(b, n): return [(b>>(n-1-i))&1 for i in range(n)]
def unbits(l): 
    v=0
    for x in l: v=(v<<1)|x
    return v
def ref_des(key, blk, enc=True):
    k=bits(key,64); cd=[k[i-1] for i in PC1]; c,d=cd[:28],cd[28:]
    subs=[]
    for s in SHIFTS:
        c=c[s:]+c[:s]; d=d[s:]+d[:s]; subs.append([(c+d)[i-1] for i in PC2])
    if not enc: subs=subs[::-1]
    b=bits(blk,64); b=[b[i-1] for i in IP]; L,R=b[:32],b[32:]
    for sk in subs:
        e=[R[i-1]^sk[j] for j,i in enumerate(E)]
        o=[]
        for g in range(8):
            x=e[6*g:6*g+6]; row=x[0]*2+x[5]; col=unbits(x[1:5]); o+=bits(S[g][row*16+col],4)
        f=[o[i-1] for i in P]
        L,R=R,[a^b2 for a,b2 in zip(L,f)]
    pre=R+L
    return unbits([pre[i-1] for i in FPT])
assert ref_des(0x0123456789ABCDEF,0x4E6F772069732074)==0x3FA40E8A984D4815
# ---- The rounds' layout. A half in a register holds its bits in standard order (bit 1 at bit 31)
# rotated left by ROT; hb_stored(p) is the half's bit number at register bit p, hb_t(p) the same
# for the half rotated left by 4 more (the second extraction word of the round function).
ROT=5
def hb_std(q): return 32-q
def hb_stored(p): return hb_std((p-ROT)%32)
def hb_t(p): return hb_std((p-ROT-4)%32)
# Where each expansion group (S-box input) is read: word 0 = half ^ subkey word 0, word 1 = rotated
# half ^ subkey word 1, and the bit offset of its 6-bit field in that word.
UFIELDS={1:0,7:8,5:16,3:24}; TFIELDS={2:0,8:8,6:16,4:24}
def field_of(g): return (0,UFIELDS[g]) if g in UFIELDS else (1,TFIELDS[g])
def eidx(g, halfbit):  # position 0..5 within expansion group g (1..8) of the given half bit
    for i in range(6):
        if E[6*(g-1)+i]==halfbit: return i
    raise Exception
# fmap[g][b]: which S-box input bit (0 = the first) field bit b of group g carries
fmap={}
for g in range(1,9):
    w,o=field_of(g); hb = hb_stored if w==0 else hb_t
    fmap[g]=[eidx(g, hb(o+b)) for b in range(6)]
# Round tables: for each S-box and each 6-bit field value, P of the S-box output in the layout.
pos_of_half={hb_stored(p):p for p in range(32)}
SP=[]
for g in range(1,9):
    tab=[]
    for v in range(64):
        x=[0]*6
        for b in range(6): x[fmap[g][b]]=(v>>b)&1
        row=x[0]*2+x[5]; col=unbits(x[1:5]); sval=S[g-1][row*16+col]
        sbits={4*(g-1)+i+1:(sval>>(3-i))&1 for i in range(4)}
        w=0
        for j in range(32):
            if P[j] in sbits and sbits[P[j]]: w|=1<<pos_of_half[j+1]
        tab.append(w)
    SP.append(tab)
# Key tables. Subkey bit k (1..48, PC-2 order) belongs to group (k-1)//6+1 at input bit (k-1)%6;
# ksbit gives its group and its bit in the extraction word.
def ksbit(k):
    g=(k-1)//6+1; i=(k-1)%6; b=fmap[g].index(i); w,o=field_of(g); return g,o+b
# The C tables fill one word with groups 1, 4, 2, 3 at bits 0, 8, 16, 24 and the D tables one with
# groups 6, 7, 5, 8; subkey word 0 takes bytes 0 and 3 of the first and 1 and 2 of the second, and
# subkey word 1 the same bytes after rotating both words by 16 (see DesSetKey).
SPOS={1:0,4:8,2:16,3:24}; TPOS={6:0,7:8,5:16,8:24}
def spos(g, bit_in_field):
    base = SPOS[g] if g<=4 else TPOS[g]
    return base+bit_in_field
# Six of the 24 bits PC-2 takes from each 28-bit register per table (C skips bits 9, 18, 22, 25;
# D skips 7, 10, 15, 26); mirrored exactly by DesSetKey.
def gatherC(c):
    return [(c>>22)&63, ((c>>15)&0x0f)|((c>>16)&0x30), ((c>>8)&0x03)|((c>>9)&0x3c), (c&0x07)|((c>>1)&0x18)|((c>>2)&0x20)]
def gatherD(d):
    return [(d>>22)&63, ((d>>14)&0x0f)|((d>>15)&0x30), (d>>7)&63, (d&0x03)|((d>>1)&0x3c)]
def build_ktables(gather, off):  # off=0 for C (PC2 sources 1..28), 28 for D
    tabs=[[0]*64 for _ in range(4)]
    for j in range(28):
        half=1<<(27-j)   # half bit j+1
        idx=gather(half)
        ts=[t for t in range(4) if idx[t]]
        src=j+1+off
        if not ts:
            assert src not in PC2, src; continue
        assert len(ts)==1 and bin(idx[ts[0]]).count('1')==1
        t=ts[0]; vb=idx[t].bit_length()-1
        if src in PC2:
            k=PC2.index(src)+1; g,fpos=ksbit(k); o=field_of(g)[1]
            for v in range(64):
                if (v>>vb)&1: tabs[t][v]|=1<<spos(g,fpos-o)
    return tabs
KC=build_ktables(gatherC,0); KD=build_ktables(gatherD,28)
# ---- The fast DES exactly as des.cpp and des_core.h compute it.
def setkey(key):
    kb=bits(key,64); cd=unbits([kb[i-1] for i in PC1]); c=cd>>28; d=cd&0xfffffff
    sch=[]
    for sh in SHIFTS:
        c=((c<<sh)|(c>>(28-sh)))&0xfffffff; d=((d<<sh)|(d>>(28-sh)))&0xfffffff
        gc=gatherC(c); gd=gatherD(d)
        s=KC[0][gc[0]]|KC[1][gc[1]]|KC[2][gc[2]]|KC[3][gc[3]]
        t=KD[0][gd[0]]|KD[1][gd[1]]|KD[2][gd[2]]|KD[3][gd[3]]
        k0=(s&0xff0000ff)|(t&0x00ffff00); k1=(rotl(s,16)&0xff0000ff)|(rotl(t,16)&0x00ffff00)
        sch.append((k0,k1))
    return sch
def perm(a,b,n,m):
    t=((a>>n)^b)&m; b^=t; a^=(t<<n)&M; return a,b
def ipnet(l,r):
    for n,m in ((4,0x0f0f0f0f),(16,0x0000ffff),(2,0x33333333),(8,0x00ff00ff),(1,0x55555555)):
        l,r=perm(l,r,n,m)
    return l,r
def fpnet(l,r):
    for n,m in ((1,0x55555555),(8,0x00ff00ff),(2,0x33333333),(16,0x0000ffff),(4,0x0f0f0f0f)):
        l,r=perm(l,r,n,m)
    return l,r
def fast_des(key, blk, enc=True):
    sch=setkey(key)
    if not enc: sch=sch[::-1]
    bb=blk.to_bytes(8,'big')
    l=int.from_bytes(bb[:4],'little'); r=int.from_bytes(bb[4:],'little')
    l,r=ipnet(l,r); l=rotl(l,ROT); r=rotl(r,ROT)
    for k0,k1 in sch:
        u=r^k0; t=rotl(r,4)^k1
        f=SP[0][u&63]^SP[6][(u>>8)&63]^SP[4][(u>>16)&63]^SP[2][(u>>24)&63]^SP[1][t&63]^SP[7][(t>>8)&63]^SP[5][(t>>16)&63]^SP[3][(t>>24)&63]
        l,r=r,l^f
    l,r=r,l
    l=rotl(l,32-ROT); r=rotl(r,32-ROT)
    l,r=fpnet(l,r)
    return int.from_bytes(l.to_bytes(4,'little')+r.to_bytes(4,'little'),'big')
for i in range(300):  # the fast layout must agree with the bit-by-bit DES
    k=random.getrandbits(64); b=random.getrandbits(64)
    c=ref_des(k,b); assert fast_des(k,b)==c; assert fast_des(k,c,False)==b
def write_blowfish():
    w = pi_fraction_words(18 + 4 * 256)
    assert w[0] == 0x243F6A88 and w[18] == 0xD1310BA6 and w[-1] == 0x3AC372E6
    out = ["#include \"crypto/blowfish_tables.h\"", "",
           "// The standard initial P-array: the first 18 32-bit words of the fractional part of pi in",
           "// hexadecimal (0x243f6a88 = digits 1..8), indexed by subkey number.",
           "const uint32_t BlowfishInitialPArray[18] = {", words(w[:18], "    ", 6), "};", "",
           "// The standard initial S-boxes: the next 1024 words of the same digits, S0 first,",
           "// indexed [box][byte value].",
           "const uint32_t BlowfishInitialSBoxes[4][256] = {"]
    for box in range(4):
        out += ["    {", words(w[18 + 256 * box:18 + 256 * (box + 1)], "        ", 6), "    },"]
    out += ["};", ""]
    open("crypto/blowfish_tables.cpp", "w").write("\n".join(out))


def write_des():
    def emit(name, tabs, comment):
        out = comment + ["const uint32_t %s[%d][64] = {" % (name, len(tabs))]
        for t in tabs:
            out += ["    {", words(t, "        ", 6), "    },"]
        return out + ["};", ""]
    out = ["#include \"crypto/des_tables.h\"", ""]
    out += emit("DesSpTables", SP, [
        "// FIPS 46-3 S-boxes S1..S8 with permutation P folded in, indexed [S-box][6-bit group as the",
        "// rounds extract it]; each word is P(S-box output) in the rounds' rotated bit layout."])
    out += emit("DesKeyTables", KC + KD, [
        "// FIPS 46-3 PC-2 split by source bits, indexed [0..3: gathers of C, 4..7: gathers of D][6 bits];",
        "// each word holds the subkey bits those key bits feed, placed as DesSetKey assembles them."])
    out += ["// FIPS 46-3 PC-1, indexed by position in C then D (28 + 28); each entry is the key bit number,",
            "// 1 being the most significant bit of key byte 0.",
            "const uint8_t DesPermutedChoice1[56] = {" + ", ".join(map(str, PC1)) + "};", "",
            "// FIPS 46-3 left-shift schedule of C and D, indexed by round (0 = round 1).",
            "const uint8_t DesKeyRotations[16] = {" + ", ".join(map(str, SHIFTS)) + "};", ""]
    open("crypto/des_tables.cpp", "w").write("\n".join(out))


write_blowfish()
write_des()
