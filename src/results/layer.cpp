// Keeps the layer's library non-empty before its first unit lands.
namespace trovix {}
