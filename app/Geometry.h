#pragma once

#include "app/MeshData.h"

#include <string>
#include <vector>

// The model table: the meshes the movable objects are built from, loaded from Resources/models.
class Geometry {
public:
    Geometry();

    // Appends the triangles of the OBJ file at Resources + path to the lists; sets the extents
    // (box from the origin to the model's far corners) only when the file could be read.
    static void loadObj(std::string path, std::vector<Vertex>& vertices, std::vector<uint16_t>& indices,
                        glm::vec3& extents);
    // The same for the text of an OBJ file; `path` names the file in messages.
    static void readObj(const std::string& text, const std::string& path, std::vector<Vertex>& vertices,
                        std::vector<uint16_t>& indices, glm::vec3& extents);

    MeshData player;
    MeshData rock;
    MeshData skier;
};

// The pieces between the delimiters; adjacent ones give an empty piece, a trailing one none.
std::vector<std::string> split(const std::string& s, char delim);
