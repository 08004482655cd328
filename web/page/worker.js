// ---- worker
