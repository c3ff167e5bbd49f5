// The page's elements by id: every part finds its own controls through this.
export const $ = (id) => document.getElementById(id);
