// Build-time tool: writes our hand pointer as a Windows .CUR file (32x32, 32-bit, hotspot at the fingertip).
#include <array>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// 'X' outline, '.' fill, ' ' transparent.
const std::array<const char*, 21> kHand = {
    "      XX          ", "     X..X         ", "     X..X         ", "     X..X         ", "     X..X         ",
    "     X..XXX       ", "     X..X..XXX    ", "     X..X..X..XX  ", "     X..X..X..X.X ", "  XX X..X..X..X..X",
    " X..XX........X..X", " X...X...........X", "  X..X...........X", "  X..............X", "   X.............X",
    "   X............X ", "    X...........X ", "    X..........X  ", "     X.........X  ", "     X.........X  ",
    "     XXXXXXXXXXX  "};
constexpr int kSize = 32;

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<std::uint8_t>& out, unsigned v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

char pixelAt(int x, int y) {
    if (y >= static_cast<int>(kHand.size())) return ' ';
    const std::string row = kHand[y];
    return x < static_cast<int>(row.size()) ? row[x] : ' ';
}

std::vector<std::uint8_t> image() {
    std::vector<std::uint8_t> out;
    put32(out, 40);  // BITMAPINFOHEADER
    put32(out, kSize);
    put32(out, kSize * 2);  // colour and mask planes
    put16(out, 1);
    put16(out, 32);
    for (int i = 0; i < 6; ++i) put32(out, 0);
    for (int y = kSize - 1; y >= 0; --y)  // bottom-up BGRA
        for (int x = 0; x < kSize; ++x) {
            const char c = pixelAt(x, y);
            const std::uint8_t v = c == '.' ? 0xFF : 0x00;
            out.insert(out.end(), {v, v, v, static_cast<std::uint8_t>(c == ' ' ? 0 : 0xFF)});
        }
    for (int y = kSize - 1; y >= 0; --y)  // AND mask: 1 = transparent
        for (int byte = 0; byte < kSize / 8; ++byte) {
            std::uint8_t bits = 0;
            for (int b = 0; b < 8; ++b)
                if (pixelAt(byte * 8 + b, y) == ' ') bits |= 0x80 >> b;
            out.push_back(bits);
        }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_hand_cursor OUT.CUR\n";
        return 2;
    }
    const auto bmp = image();
    std::vector<std::uint8_t> file;
    put16(file, 0);
    put16(file, 2);  // cursor
    put16(file, 1);
    file.insert(file.end(), {kSize, kSize, 0, 0});
    put16(file, 6);  // hotspot x
    put16(file, 0);  // hotspot y
    put32(file, static_cast<unsigned>(bmp.size()));
    put32(file, 22);
    file.insert(file.end(), bmp.begin(), bmp.end());
    std::ofstream(argv[1], std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return 0;
}
