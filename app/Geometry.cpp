#include "app/Geometry.h"

#include "app/Globals.h"
#include "app/Platform.h"
#include "app/TextFile.h"

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace {

// Far more than any model of the run; a larger file is refused before it is read.
constexpr std::size_t kModelFileLimit = 256u << 20;

// The records of one file read so far, and the bounds, which start at the origin.
struct ObjRecords {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    glm::vec3 min = glm::vec3(0.0f);
    glm::vec3 max = glm::vec3(0.0f);
};

// Malformed records are skipped with a message naming the file and line, never read out of range.
class ObjLine {
public:
    ObjLine(const std::string& path, size_t number, std::vector<std::string> words)
        : path(path), number(number), words(std::move(words))
    {
    }

    const std::string& keyword() const { return words[0]; }

    // Words 1..count as std::stof reads them.
    bool floats(size_t count, float* out) const
    {
        if (words.size() < count + 1) {
            return skip("needs " + std::to_string(count) + " numbers");
        }
        for (size_t i = 0; i < count; ++i) {
            try {
                out[i] = finiteFloat(words[i + 1]);
            } catch (const std::logic_error&) {
                return skip("\"" + excerpt(words[i + 1]) + "\" is no usable number");
            }
        }
        return true;
    }

    // The face's first three references, all checked before any vertex is appended.
    bool face(const ObjRecords& records, Vertex* corners, uint16_t* numbers) const
    {
        if (words.size() < 4) {
            return skip("needs three references");
        }
        for (int i = 0; i < 3; ++i) {
            const std::string& reference = words[static_cast<size_t>(i) + 1];
            std::vector<std::string> pieces = split(reference, '/');
            const std::string quoted = "reference \"" + excerpt(reference) + "\"";
            size_t p = 0;
            size_t t = 0;
            size_t n = 0;
            if (!pick(pieces, 0, records.positions.size(), p)) {
                return skip(quoted + " names no position read so far");
            }
            if (!records.uvs.empty() && !pick(pieces, 1, records.uvs.size(), t)) {
                return skip(quoted + " names no texture coordinate read so far");
            }
            if (!pick(pieces, 2, records.normals.size(), n)) {
                return skip(quoted + " names no normal read so far");
            }
            corners[i].position = records.positions[p];
            corners[i].normal = records.normals[n];
            corners[i].uv = records.uvs.empty() ? glm::vec2(0.0f) : records.uvs[t];
            numbers[i] = static_cast<uint16_t>(p + 1);
        }
        return true;
    }

private:
    // Piece `which` read as atoi reads it (strtol, which cannot overflow); a number from 1 to
    // `count` gives its place in the list.
    static bool pick(const std::vector<std::string>& pieces, size_t which, size_t count, size_t& place)
    {
        if (which >= pieces.size()) {
            return false;
        }
        long number = std::strtol(pieces[which].c_str(), nullptr, 10);
        if (number < 1 || static_cast<unsigned long>(number) > count) {
            return false;
        }
        place = static_cast<size_t>(number - 1);
        return true;
    }

    bool skip(const std::string& why) const
    {
        std::cerr << path << ":" << number << ": skipped \"" << excerpt(words[0]) << "\" record: " << why << std::endl;
        return false;
    }

    const std::string& path;
    size_t number;
    std::vector<std::string> words;
};

std::vector<std::string> wordsOf(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

void readLine(const ObjLine& line, ObjRecords& records, std::vector<Vertex>& vertices,
              std::vector<uint16_t>& indices)
{
    float v[3];
    if (line.keyword() == "v" && line.floats(3, v)) {
        glm::vec3 position(v[0], v[1], v[2]);
        for (int axis = 0; axis < 3; ++axis) {
            if (position[axis] > records.max[axis]) {
                records.max[axis] = position[axis];
            }
            if (position[axis] < records.min[axis]) {
                records.min[axis] = position[axis];
            }
        }
        records.positions.push_back(position);
    } else if (line.keyword() == "vn" && line.floats(3, v)) {
        records.normals.emplace_back(v[0], v[1], v[2]);
    } else if (line.keyword() == "vt" && line.floats(2, v)) {
        records.uvs.emplace_back(v[0], v[1]);
    } else if (line.keyword() == "f") {
        Vertex corners[3];
        uint16_t numbers[3];
        if (line.face(records, corners, numbers)) {
            vertices.insert(vertices.end(), corners, corners + 3);
            indices.insert(indices.end(), numbers, numbers + 3);
        }
    }
}

}

std::vector<std::string> split(const std::string& s, char delim)
{
    std::vector<std::string> pieces;
    std::istringstream in(s);
    std::string piece;
    while (std::getline(in, piece, delim)) {
        pieces.push_back(piece);
    }
    return pieces;
}

Geometry::Geometry()
{
    loadObj(playerModelPath, player.vertices, player.indices, player.extents);
    loadObj(skierModelPath, skier.vertices, skier.indices, skier.extents);
    loadObj(rockModelPath, rock.vertices, rock.indices, rock.extents);
}

void Geometry::loadObj(std::string path, std::vector<Vertex>& vertices, std::vector<uint16_t>& indices,
                       glm::vec3& extents)
{
    std::string cwd;
    if (!platform::workingDirectory(cwd)) {
        std::cerr << "PROBLEMS WITH PATH" << std::endl;
        return;
    }
    std::string fullPath = cwd + "/Resources" + path;
    FileContents file = readWholeFile(fullPath, kModelFileLimit);
    if (file.status == FileContents::Status::TooLarge) {
        std::cerr << fullPath << " " << file.problem << std::endl;
        return;
    }
    if (!file.read()) {
        std::cerr << "PATH DOES NOT WORK: " << fullPath << std::endl;
        return;
    }
    readObj(file.bytes, fullPath, vertices, indices, extents);
}

void Geometry::readObj(const std::string& text, const std::string& path, std::vector<Vertex>& vertices,
                       std::vector<uint16_t>& indices, glm::vec3& extents)
{
    std::istringstream in(text);
    ObjRecords records;
    std::string line;
    size_t number = 0;
    while (nextLine(in, line)) {
        ++number;
        std::vector<std::string> words = wordsOf(line);
        if (!words.empty()) {
            readLine(ObjLine(path, number, std::move(words)), records, vertices, indices);
        }
    }
    extents = records.max - records.min;
}
