-- Run by run.sh in a headless Neovim started on a module file with the
-- README's init.lua: checks the snippet gave the buffer its file type and
-- the tamvo client, waits for the server's diagnostics, takes the code
-- action TAMVO_ACTION at the 0-based line TAMVO_LINE (a quick fix when
-- TAMVO_QUICKFIX is 1) and writes the buffer to TAMVO_OUT.
local function fail(message)
  io.stderr:write('nvim: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

local line = tonumber(os.getenv('TAMVO_LINE'))
local title = os.getenv('TAMVO_ACTION')
local buf = vim.api.nvim_get_current_buf()
if vim.bo[buf].filetype ~= 'vb' then fail('the file type is "' .. vim.bo[buf].filetype .. '", not vb') end

-- A client shows among the buffer's once the server has answered initialize.
local client
local function attached()
  for _, c in pairs(vim.lsp.buf_get_clients(buf)) do
    if c.name == 'tamvo' then client = c end
  end
  return client ~= nil
end
if not vim.wait(10000, attached, 20) then fail('no tamvo client attached to the buffer') end
if not vim.wait(10000, function() return #vim.diagnostic.get(buf) > 0 end, 20) then
  fail('no diagnostics from the server')
end

-- The action as a user takes it: vim.lsp.buf.code_action() on the line, the
-- pick made where vim.ui.select asks. The server offers the actions without
-- their edits, as Neovim resolves them (codeAction/resolve) once picked.
local expectQuickFix = os.getenv('TAMVO_QUICKFIX') == '1'
if expectQuickFix and #vim.diagnostic.get(buf, { lnum = line }) == 0 then fail('no diagnostics on line ' .. line) end
local offered = {}
vim.ui.select = function(items, _, choose)
  local chosen
  for _, item in ipairs(items) do
    local action = item[2]
    table.insert(offered, action.title)
    if action.title == title and (not expectQuickFix or action.kind == 'quickfix') then chosen = item end
  end
  if chosen and chosen[2].edit then fail('"' .. title .. '" came with its edit, not resolved') end
  choose(chosen)
end
local tick = vim.api.nvim_buf_get_changedtick(buf)
vim.api.nvim_win_set_cursor(0, { line + 1, 0 })
vim.lsp.buf.code_action()
if not vim.wait(10000, function() return vim.api.nvim_buf_get_changedtick(buf) ~= tick end, 20) then
  fail('no action "' .. title .. '" taken on line ' .. line .. ' among: ' .. table.concat(offered, ', '))
end
vim.cmd('silent write! ' .. vim.fn.fnameescape(os.getenv('TAMVO_OUT')))
vim.lsp.stop_client(client.id)
vim.cmd('qall!')
